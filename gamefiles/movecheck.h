// Whether a move read from a game file is one the generators give. The game
// files test every move this way, so it answers without building the list.
#pragma once

#include "board/makemove.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "gamefiles/gamefile.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"

// True when the full generator lists move in the current position; the same
// answer as searching the list it writes, for the side to move not in check.
bool InFullMoveList(Move move);
// True when move is among the generated moves of the current position: the
// evasions when info (computed for this position) shows a check, else the
// full list.
bool IsGeneratedMove(Move move, const CheckInfo& info);

// Replays the moves of game from the current position, at most plies of them:
// visit(i) is called for each move i that the generators give, before it is
// made. The position comes back whole. Returns the first ply whose move is
// not legal (not generated, or leaving the mover's king attacked), 0 when
// every move replayed is legal. A file not written by the converter may hold
// anything, and a move the position does not allow would corrupt it.
template <typename Visit>
int ReplayGame(const GameRecord& game, int plies, Visit visit) {
    const Position start = pos;
    HistoryEntry* const startTop = historyTop;
    PlyRecord record;
    int illegal = 0;
    for (int i = 1; i <= plies; ++i) {
        const Move move = static_cast<Move>(game.moveWords[i]);
        CheckInfo info;
        ComputeCheckInfo(&info);
        const Colour side = pos.sideToMove;
        if (!IsGeneratedMove(move, info)) {
            illegal = i;
            break;
        }
        visit(i);
        MakeMove(move, &record);
        if (KingAttackedAfterMove(move, side)) {
            illegal = i;
            break;
        }
    }
    pos = start;
    historyTop = startTop;
    return illegal;
}
