// The principal variation is not kept during the search: it is read back
// from the transposition table by following hash moves from the current
// position.
#include "search/pv.h"

#include <algorithm>
#include <cstring>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "movegen/legality.h"
#include "search/hashtable.h"

namespace {

const char* ResultText(Move move) {
    switch (move) {
        case MOVE_REPETITION: return "1/2 - 1/2 (repetition)";
        case MOVE_MATE: return "# ";
        case MOVE_STALEMATE: return "1/2 - 1/2 (stalemate)";
        case MOVE_NULL: return "NULL";
        default: return "ERROR";
    }
}

bool RoomForAnotherPly() {
    return currentPly < plyRecords + PLY_RECORDS - 1 && historyTop - positionHistory + 1 < HISTORY_SIZE;
}

// Plays move, walks on, and takes it back; false, doing nothing, when it is
// not legal here.
bool Step(PrincipalVariation& pv, Move move, int movesAllowed, const Move* start, int startLength);

void Walk(PrincipalVariation& pv, int movesAllowed, const Move* start, int startLength) {
    if (startLength > 0) {
        if (pv.length < MAX_PV_MOVES && RoomForAnotherPly()) Step(pv, *start, movesAllowed, start + 1, startLength - 1);
        return;
    }
    if (pv.length >= movesAllowed) return;
    const HashEntry* entry = ProbeHash();
    if (entry == nullptr) {
        pv.missing = true;
        return;
    }
    const Move move = EntryMove(entry);
    if (IsSpecialMove(move)) {
        pv.result = move;
        return;
    }
    // A replaced or colliding entry may hold a move that is not legal here;
    // the record limits and the history stack bound the walk as well as the
    // move limit does, so a cycle of table moves ends at one of them.
    if (!RoomForAnotherPly()) return;
    Step(pv, move, movesAllowed, nullptr, 0);
}

bool Step(PrincipalVariation& pv, Move move, int movesAllowed, const Move* start, int startLength) {
    PlyRecord* const record = currentPly;
    const PlyRecord saved = *record;  // the search keeps killers and its root list here
    if (!IsLegalMove(move)) {
        *record = saved;
        return false;
    }
    const int index = pv.length++;
    pv.moves[index] = move;
    SaveSnapshot(record);
    MakeMove(move, record);
    currentPly = record + 1;
    Walk(pv, movesAllowed, start, startLength);
    // The last position of the line: the board tells whether it is mate.
    if (pv.length == index + 1) pv.endsInMate = SideToMoveIsMated();
    currentPly = record;
    UnmakeMove(move, record);
    *record = saved;
    return true;
}

}  // namespace

void BuildPv(PrincipalVariation& pv, int movesAllowed, const Move* start, int startLength) {
    pv.length = 0;
    pv.result = MOVE_NONE;
    pv.missing = false;
    pv.endsInMate = false;
    Walk(pv, std::min(movesAllowed, MAX_PV_MOVES), start, startLength);
}

void PvText(char* out, const PrincipalVariation& pv) {
    *out = 0;
    for (int i = 0; i < pv.length; ++i) {
        out = MoveToText(out, pv.moves[i]);
        *out++ = ' ';
        *out = 0;
    }
    if (pv.result != MOVE_NONE) std::strcpy(out, ResultText(pv.result));
    else if (pv.missing) std::strcpy(out, "NOE ");
}

int MatePlies(const PrincipalVariation& pv) { return pv.endsInMate ? pv.length : 0; }

bool MateMoves(int score, int matePlies, int& moves) {
    if (score > WINNING_MATE_SCORE) {
        const int plies = matePlies > 0 ? matePlies : std::max(1, MATE_SCORE - score);
        moves = (plies + 1) / 2;
        return true;
    }
    if (score < -WINNING_MATE_SCORE) {
        const int plies = matePlies > 0 ? matePlies : std::max(0, MATE_SCORE + score);
        moves = -((plies + 1) / 2);
        return true;
    }
    return false;
}
