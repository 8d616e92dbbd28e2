// Check information and the check-evasion generator.
#pragma once

#include "board/plyrecord.h"

void ComputeCheckInfo(CheckInfo* info);

using EvasionFn = ScoredMove* (*)(ScoredMove* list, const CheckInfo* info);
extern const EvasionFn GenerateEvasions[2];
