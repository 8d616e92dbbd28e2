// What the conversions say: the warnings and reasons of skipped games, the
// counters, failures and the summary. The typed commands of the engine print
// all of it on standard output in the texts they always had. pelmot-games
// keeps standard output for data: everything it says goes to standard
// error, failures in plain words with the file and the system's reason, and
// a summary line ends it.
#pragma once

#include <cstdint>
#include <string>

struct SkipReason;

struct ConsoleSettings {
    bool tool = false;   // pelmot-games: standard error, plain words, "-" for the standard streams
    bool quiet = false;  // the tool says only failures and the summary
};
void SetConsole(const ConsoleSettings& settings);
// True for pelmot-games: "-" names standard input or output, and failures
// are said in plain words.
bool ToolConsole();

// A line of a conversion (counters, "OK"), printf-style; buffered, and
// dropped when quiet.
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "Warning: game N (skipped) file: NAME" and the reason below it.
void SayWarning(int game, const std::string& pgnName);
void SayReason(const SkipReason& why, int64_t line);
// A failure: the typed text, or the tool's plain words; never dropped.
void SayFailure(const std::string& typed, const std::string& words);
// Writes out what is buffered (the progress line is drawn again below it).
void FlushConsole();

// The summary: games read, stored (or written), skipped by reason.
void TallyRead(int64_t games);
void TallyStored(int64_t games);
void TallySkipped(const char* reason);
// "pelmot-games: N games read, M stored, K skipped (reasons)", with stored
// named storedWord; the tool only.
void SaySummary(const char* storedWord);
