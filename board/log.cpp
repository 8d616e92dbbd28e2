#include "board/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex logMutex;

std::FILE* logFile = nullptr;

}  // namespace

void OpenLog() {
    std::lock_guard<std::mutex> lock(logMutex);
    if (!logFile) logFile = std::fopen("Pelmot.log", "w");
}

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
