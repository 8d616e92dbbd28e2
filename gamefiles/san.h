// Standard algebraic notation move reading.
#pragma once

#include "board/types.h"

Move ParseSan(const char* text);
Move ResolveSanSource(const char* text, int to, Bitboard mask);
Move ParseSanCoordinates(const char* text);
int PromotionKindOf(char letter);
int CapturePromotionKindOf(char letter);
