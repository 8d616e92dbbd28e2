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

char pvText[PV_TEXT_SIZE];

namespace {

constexpr int MAX_PV_MOVES = (PV_TEXT_SIZE - 32) / 6;

const char* ResultText(Move move) {
    switch (move) {
        case MOVE_REPETITION: return "1/2 - 1/2 (repetition)";
        case MOVE_MATE: return "# ";
        case MOVE_STALEMATE: return "1/2 - 1/2 (stalemate)";
        case MOVE_NULL: return "NULL";
        default: return "ERROR";
    }
}

void Walk(char* out, int movesAllowed) {
    *out = 0;
    if (movesAllowed <= 0) return;
    const HashEntry* entry = ProbeHash();
    if (entry == nullptr) {
        std::strcpy(out, "NOE ");
        return;
    }
    const Move move = EntryMove(entry);
    if (IsSpecialMove(move)) {
        std::strcpy(out, ResultText(move));
        return;
    }
    // A replaced or colliding entry may hold a move that is not legal here;
    // the record limits and the history stack bound the walk as well as the
    // move limit does, so a cycle of table moves ends at one of them.
    if (currentPly >= plyRecords + PLY_RECORDS - 1 ||
        historyTop - positionHistory + 1 >= HISTORY_SIZE)
        return;
    PlyRecord* const record = currentPly;
    const PlyRecord saved = *record;  // the search keeps killers and its root list here
    if (!IsLegalMove(move)) {
        *record = saved;
        return;
    }
    out = MoveToText(out, move);
    *out++ = ' ';
    *out = 0;
    SaveSnapshot(record);
    MakeMove(move, record);
    currentPly = record + 1;
    Walk(out, movesAllowed - 1);
    currentPly = record;
    UnmakeMove(move, record);
    *record = saved;
}

}  // namespace

void BuildPvText(char* out, int movesAllowed) { Walk(out, std::min(movesAllowed, MAX_PV_MOVES)); }
