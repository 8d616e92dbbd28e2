// Placeholder until this subsystem lands.
#include "search/pv.h"
void BuildPvText(char* out, int) { *out = 0; }
