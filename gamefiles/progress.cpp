#include "gamefiles/progress.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto UPDATE_INTERVAL = std::chrono::milliseconds(250);
// The line stays on one line of a narrow terminal: long names show their end.
constexpr size_t NAME_ROOM = 40;

bool shown = false;
bool drawn = false;
std::string lastLine;  // the line last drawn, drawn again after other output
std::string inputName;
uint64_t inputSize = 0;  // 0 when unknown (not a regular file)
Clock::time_point start, lastDraw;

}  // namespace

void ShowConversionProgress(bool on) { shown = on; }

void ProgressBegin(const char* name, uint64_t size) {
    if (!shown) return;
    ProgressErase();
    lastLine.clear();
    inputName = name;
    if (inputName.size() > NAME_ROOM) inputName = "..." + inputName.substr(inputName.size() - NAME_ROOM + 3);
    inputSize = size;
    start = lastDraw = Clock::now();
}

void ProgressGame(int64_t games, uint64_t bytesRead) {
    if (!shown) return;
    const Clock::time_point now = Clock::now();
    if (now - lastDraw < UPDATE_INTERVAL) return;
    lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - start).count();
    char line[160];
    int n = std::snprintf(line, sizeof line, "\r%s: %lld games, %.0f games/s", inputName.c_str(),
                          static_cast<long long>(games), seconds > 0 ? games / seconds : 0.0);
    if (inputSize > 0 && n > 0 && static_cast<size_t>(n) < sizeof line) {
        const uint64_t percent = bytesRead >= inputSize ? 100 : bytesRead * 100 / inputSize;
        n += std::snprintf(line + n, sizeof line - n, ", %llu%%", static_cast<unsigned long long>(percent));
    }
    lastLine = line;
    ProgressRedraw();
}

void ProgressRedraw() {
    if (!shown || lastLine.empty()) return;
    // Cleared to the end of the line: the last one may have been longer.
    std::fputs(lastLine.c_str(), stderr);
    std::fputs("\033[K", stderr);
    std::fflush(stderr);
    drawn = true;
}

void ProgressErase() {
    if (!drawn) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn = false;
}
