// Coordinate move text (e2e4, e7e8q) and the board display.
#pragma once

#include "board/types.h"

// Writes the move's text and returns a pointer to its terminating NUL.
char* MoveToText(char* buffer, Move move);
// Classifies a coordinate move against the game snapshot; 0 when the text
// does not begin with a coordinate move. Legality is not tested.
Move TextToMove(const char* text);
void PrintBoard(const PieceCode* squares);
