// Iterative deepening, root search, alpha-beta and quiescence.
#pragma once

#include <atomic>
#include <cstdint>
#include "board/types.h"

// Written by the engine shell, read by the search.
extern std::atomic<uint8_t> stopSearch;  // 1 asks the running search to stop
extern int maxDepth;                     // deepest iteration allowed
extern int iterationDepth;
// Written by the search, read by the engine shell while the search runs:
// -1 while the root re-searches a fail low, 1 after a fail high, else 0.
extern std::atomic<int> rootFailState;

Move IterativeSearch();
int16_t SearchRoot(int alpha, int beta);
int16_t AlphaBeta(int depth, int ply, int alpha, int beta, int allowNull);
int16_t Quiescence(int qdepth, int ply, int alpha, int beta);

// Clears the history counters and every record's killers (position set-up).
void ClearSearchTables();
