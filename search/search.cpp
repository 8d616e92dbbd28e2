// Placeholder until this subsystem lands.
#include "search/search.h"
std::atomic<uint8_t> stopSearch{0};
int maxDepth = 127;
int iterationDepth = 0;
std::atomic<int> rootFailState{0};
Move IterativeSearch() { return MOVE_NONE; }
int16_t SearchRoot(int, int) { return 0; }
int16_t AlphaBeta(int, int, int, int, int) { return 0; }
int16_t Quiescence(int, int, int, int) { return 0; }
void ClearSearchTables() {}
