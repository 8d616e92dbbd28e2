// Playing a pseudo-legal move on the global position and taking it back.
#pragma once

#include "board/plyrecord.h"

// Raised (carrying false) when given a special move of kind 3.
struct SpecialMoveError {
    bool value = false;
};

void MakeMove(Move move, PlyRecord* record);
void UnmakeMove(Move move, PlyRecord* record);
// Takes back a move of the game made with MakeMove on record, whose snapshot
// was saved before the move. Unlike the search's unmake it also works when
// the history has been trimmed down to the move's own entry: the entry of
// the position before it is rebuilt, without the reversible plies that the
// trim has already dropped.
void UnmakeGameMove(Move move, PlyRecord* record);
