#include "gamefiles/console.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "gamefiles/pgnreader.h"
#include "gamefiles/progress.h"

namespace {

ConsoleSettings settings;

// The lines are written in blocks: a second conversion of a file warns for
// every game.
constexpr size_t CONSOLE_BLOCK = 1 << 16;
std::string pending;

std::FILE* Stream() { return settings.tool ? stderr : stdout; }
bool Silent() { return settings.tool && settings.quiet; }

void Pending() {
    if (pending.size() >= CONSOLE_BLOCK) FlushConsole();
}

struct Tally {
    int64_t read = 0;
    int64_t stored = 0;
    std::vector<std::pair<std::string, int64_t>> skipped;  // by reason, in the order first met
};
Tally tally;

}  // namespace

void SetConsole(const ConsoleSettings& chosen) { settings = chosen; }

bool ToolConsole() { return settings.tool; }

void FlushConsole() {
    if (pending.empty()) return;
    ProgressErase();
    std::fwrite(pending.data(), 1, pending.size(), Stream());
    std::fflush(Stream());
    pending.clear();
    ProgressRedraw();
}

void Say(const char* format, ...) {
    if (Silent()) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0) pending.append(text, std::min(static_cast<size_t>(n), sizeof text - 1));
    Pending();
}

// Written without a format: a second conversion of a file gives it for every
// game.
void SayWarning(int game, const std::string& pgnName) {
    if (Silent()) return;
    static constexpr char HEAD[] = "Warning: game ";
    static constexpr char MIDDLE[] = " (skipped) file: ";
    char digits[16];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + game % 10);
        game /= 10;
    } while (game > 0);
    pending.append(HEAD, sizeof HEAD - 1);
    while (n > 0) pending += digits[--n];
    pending.append(MIDDLE, sizeof MIDDLE - 1);
    pending += pgnName;
    pending += '\n';
    Pending();
}

// "Reason: ", the words of the fault, the ply and the text of a move at fault
// or the value read, and the line of the input the game starts on.
void SayReason(const SkipReason& why, int64_t line) {
    if (Silent()) return;
    // What the input holds is shown, but not its control characters.
    constexpr size_t DETAIL_MAX = 40;
    pending += "Reason: ";
    pending += why.text;
    if (why.ply) {
        pending += " at ply ";
        pending += std::to_string(why.ply);
    }
    if (!why.detail.empty()) {
        pending += ": ";
        for (size_t i = 0; i < why.detail.size() && i < DETAIL_MAX; ++i) {
            const unsigned char c = static_cast<unsigned char>(why.detail[i]);
            pending += c < ' ' || c == 0x7F ? '?' : static_cast<char>(c);
        }
        if (why.detail.size() > DETAIL_MAX) pending += "...";
    }
    pending += " (game at line ";
    pending += std::to_string(line);
    pending += ")\n";
    Pending();
}

void SayFailure(const std::string& typed, const std::string& words) {
    pending += settings.tool ? words : typed;
    pending += '\n';
    FlushConsole();
}

void TallyRead(int64_t games) { tally.read += games; }

void TallyStored(int64_t games) { tally.stored += games; }

void TallySkipped(const char* reason) {
    for (auto& [text, count] : tally.skipped) {
        if (text == reason) {
            ++count;
            return;
        }
    }
    tally.skipped.emplace_back(reason, 1);
}

void SaySummary(const char* storedWord) {
    if (!settings.tool) return;
    int64_t skipped = 0;
    for (const auto& reason : tally.skipped) skipped += reason.second;
    char line[160];
    std::snprintf(line, sizeof line, "pelmot-games: %lld games read, %lld %s, %lld skipped",
                  static_cast<long long>(tally.read), static_cast<long long>(tally.stored), storedWord,
                  static_cast<long long>(skipped));
    pending += line;
    for (size_t i = 0; i < tally.skipped.size(); ++i) {
        std::snprintf(line, sizeof line, "%s%lld ", i == 0 ? " (" : ", ", static_cast<long long>(tally.skipped[i].second));
        pending += line;
        pending += tally.skipped[i].first;
    }
    pending += tally.skipped.empty() ? "\n" : ")\n";
    FlushConsole();
}
