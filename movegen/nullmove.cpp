// Placeholder until this subsystem lands.
#include "movegen/nullmove.h"
void MakeNullMove(PlyRecord*) {}
void UnmakeNullMove(PlyRecord*) {}
