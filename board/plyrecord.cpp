// The per-ply records, the shared move stack and the history counters live
// here as fixed arrays so that nothing is allocated while the engine runs.
#include "board/plyrecord.h"

#include "board/position.h"

PlyRecord plyRecords[PLY_RECORDS];
PlyRecord* currentPly = plyRecords;
ScoredMove moveStack[MOVE_STACK_SIZE];
uint32_t historyTable[2][4096];

// One snapshot serves every move made from the node: unmake copies it back
// instead of reversing each update.
void SaveSnapshot(PlyRecord* record) {
    record->occupiedSnapshot = pos.occupied;
    record->sideOccupiedSnapshot = pos.colourBB[pos.sideToMove];
    record->keySnapshot = pos.hashKey;
    record->pawnKeySnapshot = pos.pawnKey;
    record->castleSnapshot = pos.castleRights;
    record->epSnapshot = pos.epSquare;
}
