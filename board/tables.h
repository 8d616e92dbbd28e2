// Attack and mask tables, built once by InitTables and read-only afterwards.
#pragma once

#include "board/position.h"

extern Bitboard squareBit[64];
extern Bitboard squareBitFiles[64], squareBitA1H8[64], squareBitA8H1[64];
extern Bitboard kingAttacks[64], knightAttacks[64];
extern Bitboard whitePawnAttacks[64], blackPawnAttacks[64];
extern Bitboard rankAttacks[64][256], fileAttacks[64][256];
extern Bitboard diagA1H8Attacks[64][256], diagA8H1Attacks[64][256];
extern uint8_t shiftA1H8[64], maskA1H8[64], shiftA8H1[64], maskA8H1[64];
extern Bitboard rookRays[64], bishopRays[64], queenRays[64];
extern Bitboard fileOthers[64], adjacentFiles[64];
extern Bitboard whiteFrontSpan[64], blackFrontSpan[64];
extern Bitboard fileAbove[64], fileBelow[64];
extern Bitboard epMaskFiles[64], epMaskA1H8[64], epMaskA8H1[64];

// Builds every table above.
void InitTables();

Bitboard RotateFiles(Bitboard bb);
Bitboard RotateDiagA1H8(Bitboard bb);
Bitboard RotateDiagA8H1(Bitboard bb);

// Square of the lowest set bit (the highest-numbered square); bb != 0.
inline Square FirstSquare(Bitboard bb) { return static_cast<Square>(63 - __builtin_ctzll(bb)); }

// Rook-line and diagonal attacks from sq with a position's occupancy
// (including the first blocker in each direction, whatever its colour).
inline Bitboard RookAttacksIn(const Position& p, int sq) {
    return rankAttacks[sq][(p.occupied >> (8 * (7 - RowOf(sq)))) & 255] |
           fileAttacks[sq][(p.occFiles >> (8 * ColumnOf(sq))) & 255];
}
inline Bitboard BishopAttacksIn(const Position& p, int sq) {
    return diagA1H8Attacks[sq][(p.occDiagA1H8 >> shiftA1H8[sq]) & maskA1H8[sq]] |
           diagA8H1Attacks[sq][(p.occDiagA8H1 >> shiftA8H1[sq]) & maskA8H1[sq]];
}
// The same on the global position.
inline Bitboard RookAttacks(int sq) { return RookAttacksIn(pos, sq); }
inline Bitboard BishopAttacks(int sq) { return BishopAttacksIn(pos, sq); }
inline Bitboard QueenAttacks(int sq) { return RookAttacks(sq) | BishopAttacks(sq); }

template <Colour Side> constexpr Bitboard* PawnAttacksOf() {
    return Side == WHITE ? whitePawnAttacks : blackPawnAttacks;
}
