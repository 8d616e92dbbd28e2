// The log file "Pelmot.log". It lives at the bottom so that every subsystem
// can write it; each call writes one whole line under a lock and flushes.
#pragma once

// printf-style; a line feed is appended.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes text exactly as given (no line feed added), under the same lock.
void LogRaw(const char* text);
