// Position keys and the position history with its draw tests.
#pragma once

#include "board/position.h"

// 13 x 64 fixed key constants, [piece code][square]; row 0 holds the
// en-passant keys and the castling-right keys (at g1, c1, g8, c8).
extern const uint64_t keyTable[13][64];

// 0, MOVE_NO_MATERIAL, MOVE_FIFTY or MOVE_REPETITION.
Move DrawTest(uint8_t count);
// 0, 1 or 2: how close a quiet piece move comes to a repetition or the fifty-move limit.
int RepetitionAfterMove(Move move);

// Called before a move is played in the game: when the history stack is close
// to its end, moves the entries back to the last irreversible move down to the
// base so that long games keep working (the draw tests never look further).
void TrimHistoryForGameMove();
