// Turning decisions into game moves and front-end lines: the moves of the
// game, the book move, the engine's searched move with its result claims,
// and the start of pondering.
#pragma once

#include "board/types.h"

// Plays move on the game: the position after it is the next search's root.
// Returns false, doing nothing, for move 0.
bool ApplyGameMove(Move move);
// Plays and prints the book move of the current position, if any.
bool PlayBookMove();
// Searches for the engine's move within the budget, prints it or a result
// claim, and starts pondering on the expected reply.
void ReportEngineMove();

// Takes back the move being pondered on, if any; the engine must be stopped.
void TakeBackPonderMove();

// The result line for a special result move with the given side to move,
// or nullptr when the move is not a game end found before moving.
const char* ResultBeforeMove(Move result, int sideToMove);
