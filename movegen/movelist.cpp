// Placeholder until this subsystem lands.
#include "movegen/movelist.h"
int16_t StaticExchange(int, int, int, Bitboard, Bitboard) { return 0; }
