// Placeholder until this subsystem lands.
#include "movegen/generate.h"
static ScoredMove* None(ScoredMove* list) { return list; }
const GeneratorFn GenerateMoves[2] = {None, None};
const GeneratorFn GenerateCaptures[2] = {None, None};
