// Progress of a long conversion, on standard error: the games read, the games
// per second and the share of the input read, a few times a second at most.
// Nothing is shown unless a front turns it on (the command-line converter
// does when standard error is a terminal).
#pragma once

#include <cstdint>

void ShowConversionProgress(bool on);
// A conversion of the input file name begins.
void ProgressBegin(const char* name);
// After each game: the games read so far and the bytes of the input read.
void ProgressGame(int64_t games, uint64_t bytesRead);
// Erases the progress line before other output; the next update draws it again.
void ProgressErase();
