// Placeholder until this subsystem lands.
#include "eval/psqt.h"
static const int16_t zeroTable[64] = {};
const int16_t* pstByKind[7][MATERIAL_INDEX_LIMIT];
void InitPieceSquareTables() { for (auto& k : pstByKind) for (auto& p : k) p = zeroTable; }
