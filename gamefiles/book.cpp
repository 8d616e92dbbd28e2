// Placeholder until this subsystem lands.
#include "gamefiles/book.h"
bool BookLoad(const char*) { return false; }
bool BookAddLine(const Move*, int) { return false; }
