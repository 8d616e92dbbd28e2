// Progress of a long conversion, on standard error: the games read, the games
// per second and the share of the input file read (of the compressed bytes,
// for a compressed file), a few times a second at most. Nothing is shown
// unless a front turns it on (the command-line converter does when standard
// error is a terminal).
#pragma once

#include <cstdint>

void ShowConversionProgress(bool on);
// A conversion of the input file name begins; size is its size in bytes (0
// when unknown, as for a pipe).
void ProgressBegin(const char* name, uint64_t size);
// After each game: the games read so far and the bytes of the file read.
void ProgressGame(int64_t games, uint64_t bytesRead);
// Erases the progress line before other output; ProgressRedraw draws it again
// below that output, so that it stays on screen.
void ProgressErase();
void ProgressRedraw();
