// Static evaluation with the pawn-structure cache.
#pragma once

#include <cstdint>

#include "board/types.h"

constexpr int PAWN_HASH_SIZE = 1 << 20;
extern uint32_t pawnHashTable[PAWN_HASH_SIZE];

// Static values stay well inside the range of mate scores and the
// illegal-move marker, however lopsided the material.
constexpr int EVALUATION_LIMIT = MATE_SCORE - 200;

void ClearPawnHashTable();
// Starts loading the pawn-cache entry of the current pawns into the cache.
inline void PrefetchPawnEntry(uint32_t pawnKey) { __builtin_prefetch(&pawnHashTable[pawnKey & (PAWN_HASH_SIZE - 1)]); }
// Score of the global position for the side to move, in centipawns.
int16_t Evaluate();

// Pawn-structure score from White's point of view, computed afresh (the
// cache is neither read nor written).
int PawnStructureScore();
