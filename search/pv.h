// Principal variation text read back from the transposition table.
#pragma once

void BuildPvText(char* out, int movesAllowed);
