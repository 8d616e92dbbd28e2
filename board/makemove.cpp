// Placeholder until this subsystem lands.
#include "board/makemove.h"
void MakeMove(Move, PlyRecord*) {}
void UnmakeMove(Move, PlyRecord*) {}
