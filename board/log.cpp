#include "board/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex logMutex;

// Opened (and truncated) during static initialisation so the very first
// token the engine reads can be logged.
std::FILE* OpenLog() { return std::fopen("Pelmot.log", "w"); }
std::FILE* logFile = OpenLog();

}  // namespace

void LogLine(const char* format, ...) {
    if (!logFile) return;
    std::lock_guard<std::mutex> lock(logMutex);
    va_list args;
    va_start(args, format);
    std::vfprintf(logFile, format, args);
    va_end(args);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

void LogRaw(const char* text) {
    if (!logFile) return;
    std::lock_guard<std::mutex> lock(logMutex);
    std::fputs(text, logFile);
    std::fflush(logFile);
}
