// The full move generator and the capture generator, one per colour.
#pragma once

#include "board/types.h"

using GeneratorFn = ScoredMove* (*)(ScoredMove* list);

// Indexed by side to move (0 black, 1 white); return one past the last entry.
extern const GeneratorFn GenerateMoves[2];
extern const GeneratorFn GenerateCaptures[2];
