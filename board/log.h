// The log file "Pelmot.log". It lives at the bottom so that every subsystem
// can write it; each call writes one whole line under a lock and flushes.
// A program that has not opened it writes none: the command-line converter
// leaves the engine's log alone, and a write that fails is never an error.
#pragma once

// Opens (and empties) the log in the working directory; the engine does this
// first thing, before it reads anything.
void OpenLog();

// printf-style; a line feed is appended.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes text exactly as given (no line feed added), under the same lock.
void LogRaw(const char* text);
