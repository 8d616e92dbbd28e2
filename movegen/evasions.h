// Check information and the check-evasion generator.
#pragma once

#include "board/plyrecord.h"

void ComputeCheckInfo(CheckInfo* info);

using EvasionFn = ScoredMove* (*)(ScoredMove* list, const CheckInfo* info);
extern const EvasionFn GenerateEvasions[2];

// Every pseudo-legal move of the side to move: the evasions when info (the
// position's check information) shows a check, else the full list.
ScoredMove* GenerateNodeMoves(ScoredMove* list, const CheckInfo* info);
