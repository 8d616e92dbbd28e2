// The null move (a pass) of the search.
#pragma once

#include "board/plyrecord.h"

void MakeNullMove(PlyRecord* record);
void UnmakeNullMove(PlyRecord* record);
