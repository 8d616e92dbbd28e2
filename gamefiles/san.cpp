// Placeholder until this subsystem lands.
#include "gamefiles/san.h"
Move ParseSan(const char*) { return MOVE_NONE; }
Move ResolveSanSource(const char*, int, Bitboard) { return MOVE_NONE; }
Move ParseSanCoordinates(const char*) { return MOVE_NONE; }
int PromotionKindOf(char) { return 0; }
int CapturePromotionKindOf(char) { return 0; }
