// Reading PGN games: a buffered character reader over an input, and the
// game reader that checks every move against its position.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "board/types.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/input.h"

// Buffered character reader over a PGN file. A Ctrl-Z (the old end-of-text
// mark) ends the text like the end of the file.
class PgnReader {
public:
    // Starts reading an input at its current place, which begins a line.
    void Open(Input& input);
    int Get() {
        if (next_ == end_ && !Fill(1)) return EOF;
        return static_cast<unsigned char>(*next_++);
    }
    int Peek() {
        if (next_ == end_ && !Fill(1)) return EOF;
        return static_cast<unsigned char>(*next_);
    }
    // The character ahead places after the next one (ahead < LOOKAHEAD).
    int PeekAt(int ahead) {
        if (end_ - next_ <= ahead && !Fill(static_cast<size_t>(ahead) + 1)) return EOF;
        return static_cast<unsigned char>(next_[ahead]);
    }
    // Puts back the character just read.
    void Unget() {
        if (next_ > buffer_) --next_;
    }
    // True while characters are left.
    bool Readable() { return Peek() != EOF; }
    // True when the next character begins a line.
    bool AtLineStart() const { return next_ == buffer_ ? !started_ : next_[-1] == '\n'; }
    // Number of the line the next character is on, from 1.
    int64_t Line();
    // Bytes of the text read so far.
    uint64_t BytesRead() const { return bytesFilled_ - static_cast<uint64_t>(end_ - next_); }
    // The next size bytes of the text (fewer when it ends first), size at
    // most JUDGED: at the start of an input, the bytes that tell what it is.
    std::string_view Ahead(size_t size) {
        Fill(size);
        return {next_, std::min(size, static_cast<size_t>(end_ - next_))};
    }
    static constexpr size_t JUDGED = 4096;
    // True when the text ended (the end of the input or a Ctrl-Z) at or
    // before the next character.
    bool AtTextEnd() { return Peek() == EOF; }
    // True when reading stopped on a read error rather than the end.
    bool Failed() const { return failed_; }
    // Skips white space, "%" escape lines and ";" comments up to their line end.
    void SkipSpace() {
        for (;;) {
            if (next_ == end_ && !Fill(1)) return;
            const char c = *next_;
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t') ++next_;
            else if ((c != '\f' && c != '\v' && c != ';' && c != '%') || !SkipOther()) return;
        }
    }
    void SkipWhitespace();
    // Reads the characters up to the next one for which ends(c) is true, or
    // up to the end; keeps the first size - 1 in text, NUL-terminated, and
    // returns their count.
    template <typename Ends>
    int ReadUntil(Ends ends, char* text, int size) {
        int n = 0;
        for (;;) {
            if (next_ == end_ && !Fill(1)) break;
            char* p = next_;
            while (p < end_ && !ends(static_cast<unsigned char>(*p))) {
                if (n < size - 1) text[n++] = *p;
                ++p;
            }
            next_ = p;
            if (p < end_) break;
        }
        text[n] = '\0';
        return n;
    }

    // Enough for the start of a tag line: "[", a tag name and its value's quote.
    static constexpr int LOOKAHEAD = 32;

private:
    bool Fill(size_t need);
    // Skips a form feed, vertical tab, ";" comment or "%" line at the next
    // character; false when there is none.
    bool SkipOther();
    Input* input_ = nullptr;
    char buffer_[(1 << 16) + LOOKAHEAD];
    char* next_ = buffer_;
    char* end_ = buffer_;
    bool atEnd_ = false;
    bool started_ = false;  // something was read before the buffer start
    bool failed_ = false;
    uint64_t bytesFilled_ = 0;    // bytes of the file taken into the buffer
    const char* counted_ = buffer_;  // line ends before it are in lineEnds_
    int64_t lineEnds_ = 0;
};

// Why a game is not stored: the words of the fault and where it lies.
struct SkipReason {
    const char* text = nullptr;
    int ply = 0;         // the ply of the move at fault; 0 when no move is
    std::string detail;  // the move text, or the value read, when there is one
};

// Result bits of a game to store, or 0 for a game to skip with its reason
// in why; the faults of one game never end the conversion.
uint16_t ReadPgnGame(GameRecord& game, PgnReader& stream, SkipReason& why);
// Reads the next game and what stands between it and the one after it (see
// SkipToTags): the size of its record, whose bytes are written to bytes as
// on disk (room for GAME_MAX_MOVES moves), or 0 for a game to skip with its
// reason in why.
size_t ReadPgnRecord(PgnReader& stream, unsigned char* bytes, SkipReason& why);
// Reads the tag section; true when the stream is still readable. A fault of
// the tags is left in why.
bool ReadPgnTags(GameRecord& game, PgnReader& stream, SkipReason& why);

// Passes over what may stand between two games: white space and comments (a
// comment after a result token belongs to no move). The next game starts
// where it stops.
void SkipToTags(PgnReader& stream);
// Passes over a byte-order mark at the start of a text.
void SkipByteOrderMark(PgnReader& stream);
// Writes the echo of the games read to the log (the engine's log only).
void FlushPgnEcho();
