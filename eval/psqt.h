// Piece-square tables chosen by the total material index.
#pragma once

#include "board/types.h"

constexpr int MATERIAL_INDEX_LIMIT = 192;

// Per piece kind (PAWN..KING) and material index: the 64-square table in
// use, and which of the four pawn tables the index selects (0 for 71 and
// above, 3 for 0..14). The pawn cache keeps the latter beside the score,
// since the cached score depends on the pawn table as well as on the pawns.
struct PstSelection {
    const int16_t* byKind[7][MATERIAL_INDEX_LIMIT];
    uint8_t pawnTable[MATERIAL_INDEX_LIMIT];
};
extern const PstSelection pstSelection;

inline int MaterialIndex(int totalMaterial) {
    return totalMaterial < MATERIAL_INDEX_LIMIT ? totalMaterial : MATERIAL_INDEX_LIMIT - 1;
}
inline int PawnTableOf(int totalMaterial) { return pstSelection.pawnTable[MaterialIndex(totalMaterial)]; }

// Value of piece code on square with the given total material (clamped to
// 0..191): white pieces and both kings read their own square, other black
// pieces the square turned by 180 degrees.
inline int PstValue(PieceCode code, Square square, int totalMaterial) {
    const int kind = KindOf(code);
    const bool turned = SideOf(code) == BLACK && kind != KING;
    return pstSelection.byKind[kind][MaterialIndex(totalMaterial)][turned ? 63 - square : square];
}
