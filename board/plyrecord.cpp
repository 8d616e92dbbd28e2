// Placeholder until this subsystem lands.
#include "board/plyrecord.h"
PlyRecord plyRecords[PLY_RECORDS];
PlyRecord* currentPly = plyRecords;
ScoredMove moveStack[MOVE_STACK_SIZE];
uint32_t historyTable[2][4096];
void SaveSnapshot(PlyRecord*) {}
