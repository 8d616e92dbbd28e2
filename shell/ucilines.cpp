// The UCI reader keeps reading while the engine thread searches: it waits for
// input with a time out at the search's deadline, and the engine thread
// wakes it through a pipe when a search returns by itself.
#include "shell/ucilines.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "board/log.h"

namespace uci {

bool Words::Next(std::string_view& word) {
    size_t at = 0;
    while (at < rest.size() && IsBlank(rest[at])) ++at;
    size_t end = at;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    word = rest.substr(at, end - at);
    rest.remove_prefix(end);
    return !word.empty();
}

bool Words::Peek(std::string_view& word) const {
    Words copy = *this;
    return copy.Next(word);
}

std::string_view Words::Remaining() const {
    std::string_view text = rest;
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Echo(std::string_view word) { return std::string(word.substr(0, ECHO)); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool ReadInteger(std::string_view word, int64_t& value) {
    size_t at = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) ++at;
    if (at == word.size()) return false;
    int64_t v = 0;
    for (; at < word.size(); ++at) {
        if (word[at] < '0' || word[at] > '9') return false;
        v = std::min(LARGEST_NUMBER, 10 * v + (word[at] - '0'));
    }
    value = negative ? -v : v;
    return true;
}

bool IsMoveWord(std::string_view word) {
    if (word.size() != 4 && word.size() != 5) return false;
    if (word[0] < 'a' || word[0] > 'h' || word[1] < '1' || word[1] > '8') return false;
    if (word[2] < 'a' || word[2] > 'h' || word[3] < '1' || word[3] > '8') return false;
    return word.size() == 4 || std::strchr("qrbnQRBN", word[4]) != nullptr;
}

namespace {

constexpr int OUTPUT_SIZE = 4096;

}  // namespace

void Send(const char* format, ...) {
    char text[OUTPUT_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text - 1, format, args);
    va_end(args);
    std::strcat(text, "\n");
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void Note(const char* format, ...) {
    char text[OUTPUT_SIZE / 2];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Send("info string %s", text);
    LogLine("-M: info string %s", text);
}

namespace {

char line[LINE_SIZE];
size_t lineLength = 0;
bool lineTooLong = false;
bool lineTaken = false;
char chunk[4096];
size_t chunkAt = 0, chunkEnd = 0;
bool inputEnded = false;
// The engine thread writes a byte here when a search returns.
int wakeRead = -1, wakeWrite = -1;

// Moves buffered bytes into the line; true when the line is whole.
bool TakeLine() {
    while (chunkAt < chunkEnd) {
        const char c = chunk[chunkAt++];
        if (c == '\n') return true;
        if (lineLength < LINE_SIZE - 1)
            line[lineLength++] = c;
        else
            lineTooLong = true;
    }
    return false;
}

}  // namespace

void WakeReader() {
    const char byte = 1;
    // A full pipe already wakes the reader.
    [[maybe_unused]] ssize_t written = write(wakeWrite, &byte, 1);
}

std::string_view InputLine() { return std::string_view(line, lineLength); }
bool InputLineTooLong() { return lineTooLong; }

Input NextInput(int timeoutMs) {
    if (lineTaken) {
        lineLength = 0;
        lineTooLong = false;
        lineTaken = false;
    }
    for (;;) {
        if (TakeLine() || (inputEnded && (lineLength > 0 || lineTooLong))) {
            lineTaken = true;
            if (lineLength > 0 && line[lineLength - 1] == '\r') --lineLength;
            line[lineLength] = 0;
            return Input::LINE;
        }
        if (inputEnded) return Input::END;
        pollfd fds[2] = {{fileno(stdin), POLLIN, 0}, {wakeRead, POLLIN, 0}};
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) return Input::WOKEN;
            inputEnded = true;
            continue;
        }
        if (ready == 0) return Input::TIMEOUT;
        if (fds[1].revents) {
            char drain[64];
            while (read(wakeRead, drain, sizeof drain) > 0) {
            }
            return Input::WOKEN;
        }
        const ssize_t n = read(fds[0].fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            inputEnded = true;
            continue;
        }
        chunkAt = 0;
        chunkEnd = static_cast<size_t>(n);
    }
}

bool OpenInput() {
    lineLength = 0;
    lineTooLong = false;
    lineTaken = false;
    chunkAt = chunkEnd = 0;
    inputEnded = false;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        std::perror("pipe");
        return false;
    }
    wakeRead = pipeEnds[0];
    wakeWrite = pipeEnds[1];
    return true;
}

void CloseInput() {
    close(wakeRead);
    close(wakeWrite);
    wakeRead = wakeWrite = -1;
}

}  // namespace uci
