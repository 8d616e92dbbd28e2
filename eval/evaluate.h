// Static evaluation with the pawn-structure cache.
#pragma once

#include <cstdint>

constexpr int PAWN_HASH_SIZE = 1 << 20;
extern uint32_t pawnHashTable[PAWN_HASH_SIZE];

void ClearPawnHashTable();
// Score of the global position for the side to move, in centipawns.
int16_t Evaluate();

// Pawn-structure score from White's point of view, computed afresh (the
// cache is neither read nor written).
int PawnStructureScore();
