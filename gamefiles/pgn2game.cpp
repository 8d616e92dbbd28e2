// Placeholder until this subsystem lands.
#include "gamefiles/pgn2game.h"
void ConvertPgnList(const char*, const char*) {}
void ConvertPgnFile(const char*, const char*, int&) {}
