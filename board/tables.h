// Attack and mask tables, built once by InitTables and read-only afterwards.
#pragma once

#include "board/position.h"

extern Bitboard squareBit[64];
extern Bitboard kingAttacks[64], knightAttacks[64];
extern Bitboard whitePawnAttacks[64], blackPawnAttacks[64];
extern Bitboard rookRays[64], bishopRays[64], queenRays[64];

// Sliding attacks by multiplication: the occupancy of the squares that
// matter (mask), times the square's magic number, shifted, indexes a table
// holding the attack set for every such occupancy.
struct SliderMagic {
    Bitboard mask;
    Bitboard magic;
    const Bitboard* attacks;
    unsigned shift;
};
extern SliderMagic rookMagics[64], bishopMagics[64];
// Largest table one square can need (a rook in a corner: 12 relevant squares).
constexpr int MAX_MAGIC_SLOTS = 4096;
// Sets mask and shift of m for a rook or bishop on sq and fills slots with
// the attack sets under m's multiplier; false when two occupancies with
// different attack sets would share a slot. The multipliers of board/magics
// were found with it (tools/magics.cpp).
bool FillMagicSlots(int sq, PieceKind slider, SliderMagic& m, Bitboard* slots);
inline Bitboard SliderAttacks(const SliderMagic& m, Bitboard occupied) {
    return m.attacks[((occupied & m.mask) * m.magic) >> m.shift];
}
// For two squares on one rank, file or diagonal: the squares strictly between
// them, and the whole line through both (edge to edge); 0 otherwise.
extern Bitboard squaresBetween[64][64], lineThrough[64][64];
extern Bitboard fileOthers[64], adjacentFiles[64];
extern Bitboard whiteFrontSpan[64], blackFrontSpan[64];
extern Bitboard fileAbove[64], fileBelow[64];

// Builds every table above.
void InitTables();


// Square of the lowest set bit (the highest-numbered square); bb != 0.
inline Square FirstSquare(Bitboard bb) { return static_cast<Square>(63 - __builtin_ctzll(bb)); }

// Rook-line and diagonal attacks from sq with a position's occupancy
// (including the first blocker in each direction, whatever its colour).
inline Bitboard RookAttacksIn(const Position& p, int sq) { return SliderAttacks(rookMagics[sq], p.occupied); }
inline Bitboard BishopAttacksIn(const Position& p, int sq) { return SliderAttacks(bishopMagics[sq], p.occupied); }
// The same on the global position.
inline Bitboard RookAttacks(int sq) { return RookAttacksIn(pos, sq); }
inline Bitboard BishopAttacks(int sq) { return BishopAttacksIn(pos, sq); }
inline Bitboard QueenAttacks(int sq) { return RookAttacks(sq) | BishopAttacks(sq); }

template <Colour Side> constexpr Bitboard* PawnAttacksOf() {
    return Side == WHITE ? whitePawnAttacks : blackPawnAttacks;
}
