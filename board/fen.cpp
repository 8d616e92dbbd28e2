// Placeholder until this subsystem lands.
#include "board/fen.h"
bool ParseFen(const char*, FenResult&) { return false; }
void CommitFen(const FenResult&) {}
void GetFen(char* buffer) { buffer[0] = 0; }
