// Placeholder until this subsystem lands.
#include "board/tables.h"
Bitboard squareBit[64];
Bitboard squareBitFiles[64], squareBitA1H8[64], squareBitA8H1[64];
Bitboard kingAttacks[64], knightAttacks[64];
Bitboard whitePawnAttacks[64], blackPawnAttacks[64];
Bitboard rankAttacks[64][256], fileAttacks[64][256];
Bitboard diagA1H8Attacks[64][256], diagA8H1Attacks[64][256];
uint8_t shiftA1H8[64], maskA1H8[64], shiftA8H1[64], maskA8H1[64];
Bitboard rookRays[64], bishopRays[64], queenRays[64];
Bitboard fileOthers[64], adjacentFiles[64];
Bitboard whiteFrontSpan[64], blackFrontSpan[64];
Bitboard fileAbove[64], fileBelow[64];
Bitboard epMaskFiles[64], epMaskA1H8[64], epMaskA8H1[64];
void InitTables() {}
Bitboard RotateFiles(Bitboard bb) { return bb; }
Bitboard RotateDiagA1H8(Bitboard bb) { return bb; }
Bitboard RotateDiagA8H1(Bitboard bb) { return bb; }
