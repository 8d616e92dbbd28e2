// UCI's lines: the front end's input read line by line while the engine
// searches, the words of a line, and whole output lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace uci {

// ---- Words ----

// Any control character or blank separates words, NUL bytes included.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The words of a text; a copy walks them again.
struct Words {
    std::string_view rest;

    bool Next(std::string_view& word);
    bool Peek(std::string_view& word) const;
    // What is left, without the blanks around it.
    std::string_view Remaining() const;
};

// Echoes of the front end's words in notes are cut to this length.
constexpr int ECHO = 64;
// A word of the front end's, cut for a note.
std::string Echo(std::string_view word);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Numbers in commands are cut to this (in milliseconds, about 30 years).
constexpr int64_t LARGEST_NUMBER = 1000000000000LL;
// A decimal integer filling the whole word, cut to +-LARGEST_NUMBER.
bool ReadInteger(std::string_view word, int64_t& value);
// Coordinate text of one move: e2e4, e7e8q.
bool IsMoveWord(std::string_view word);

// ---- Output ----

// One whole line to the front end in a single write, so that the lines of
// the two threads never mix.
void Send(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A note to the user: an "info string" line, also logged.
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Input ----

// Longer lines are dropped whole: the longest legal game fits as a "position".
constexpr size_t LINE_SIZE = size_t{1} << 17;

enum class Input { LINE, TIMEOUT, WOKEN, END };
// Waits at most timeoutMs (-1: no limit) for the next line, which InputLine
// then gives, or for the engine thread's wake-up.
Input NextInput(int timeoutMs);
std::string_view InputLine();
bool InputLineTooLong();
// A fresh reader with its wake-up pipe; false when the pipe cannot be made.
bool OpenInput();
void CloseInput();
// Called on the engine thread when a search returns: wakes NextInput.
void WakeReader();

}  // namespace uci
