// Playing a pseudo-legal move on the global position and taking it back.
#pragma once

#include "board/plyrecord.h"

// Raised (carrying false) when given a special move of kind 3.
struct SpecialMoveError {
    bool value = false;
};

void MakeMove(Move move, PlyRecord* record);
void UnmakeMove(Move move, PlyRecord* record);
