// Ordering values and static exchange evaluation used by the generators.
#pragma once

#include "board/types.h"

inline constexpr int16_t pieceValue[13] = {0, 100, 100, 310, 310, 315, 315, 500, 500, 950, 950, 2000, 2000};

int16_t StaticExchange(int piece, int from, int to, Bitboard rookSliders, Bitboard diagonalSliders);
