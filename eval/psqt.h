// Piece-square tables chosen by the total material index.
#pragma once

#include "board/types.h"

constexpr int MATERIAL_INDEX_LIMIT = 192;

// Per piece kind (PAWN..KING) and material index: the 64-square table in use.
extern const int16_t* pstByKind[7][MATERIAL_INDEX_LIMIT];

void InitPieceSquareTables();

// Which of the four pawn tables a material index selects (0 for 71 and above,
// 3 for 0..14). The pawn cache keeps it beside the score, since the cached
// score depends on the pawn table as well as on the pawns.
extern uint8_t pawnTableOf[MATERIAL_INDEX_LIMIT];
inline int PawnTableOf(int totalMaterial) {
    return pawnTableOf[totalMaterial < MATERIAL_INDEX_LIMIT ? totalMaterial : MATERIAL_INDEX_LIMIT - 1];
}

// Value of piece code on square with the given total material (clamped to
// 0..191): white pieces and both kings read their own square, other black
// pieces the square turned by 180 degrees.
inline int PstValue(int code, int square, int totalMaterial) {
    int index = totalMaterial < MATERIAL_INDEX_LIMIT ? totalMaterial : MATERIAL_INDEX_LIMIT - 1;
    int kind = (code + 1) >> 1;
    bool turned = (code & 1) == 0 && kind != KING;
    return pstByKind[kind][index][turned ? 63 - square : square];
}
