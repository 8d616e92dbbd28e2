// Whether a move read from a game file is one the generators give. The game
// files test every move this way, so it answers without building the list.
#pragma once

#include "board/plyrecord.h"

// True when the full generator lists move in the current position; the same
// answer as searching the list it writes, for the side to move not in check.
bool InFullMoveList(Move move);
// True when move is among the generated moves of the current position: the
// evasions when info (computed for this position) shows a check, else the
// full list.
bool IsGeneratedMove(Move move, const CheckInfo& info);
