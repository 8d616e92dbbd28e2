// Ordering values and static exchange evaluation used by the generators.
#pragma once

#include "board/types.h"

// Ordering score bands; higher sorts first. The full-width search takes the
// hash move, then every entry down to ORDER_HISTORY_STAGE by score, then the
// rest by history counters. A capture's score is its band base plus its
// exchange gain and piece-square change (or, unevaluated, the victim's value
// minus the mover's).
constexpr int ORDER_HASH_MOVE = 30000;
constexpr int ORDER_GOOD_CAPTURE = -9500;    // captures that win material
constexpr int ORDER_KILLER1 = -9998;
constexpr int ORDER_KILLER2 = -9999;
constexpr int ORDER_HISTORY_STAGE = -10000;  // also the capture generator's cut
constexpr int ORDER_SHORT_CASTLING = -29000;
constexpr int ORDER_LONG_CASTLING = -29500;
constexpr int ORDER_EVEN_EXCHANGE = -29985;
constexpr int ORDER_QUIET = -30000;
constexpr int ORDER_LOSING_CAPTURE = -30000;  // base of captures that lose material
constexpr int ORDER_KING_INTO_ATTACK = -32767;
// Promotion entries in their fixed order queen, knight, rook, bishop; a
// capturing promotion adds the victim's value.
constexpr int ORDER_PROMOTION[4] = {-9401, -30005, -30025, -30050};

// The exchange evaluation counts a gain only beyond this margin, and a pawn
// reaching the last rank gains a queen for a pawn, less the margin's worth.
constexpr int EXCHANGE_MARGIN = 50;
constexpr int PROMOTION_GAIN = 800;

int16_t StaticExchange(PieceCode piece, Square from, Square to, Bitboard rookSliders, Bitboard diagonalSliders);
