// The opening book, stored into the transposition table with stamp 0.
#pragma once

#include "board/types.h"

bool BookLoad(const char* fileName);
bool BookAddLine(const Move* moves, int n);
