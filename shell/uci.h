// The UCI protocol: a second front door to the same engine, chosen by a
// first word "uci". Its reading and writing live in the shell's uci files;
// the engine control, the game, the clock arithmetic and the move choice are
// shared with xboard.
#pragma once

#include "shell/ucigo.h"
#include "shell/uciinfo.h"

// Runs the UCI session after the first word: the handshake, then commands
// until "quit" or the end of the input.
void UciLoop();
