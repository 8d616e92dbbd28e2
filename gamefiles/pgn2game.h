// PGN to GAME conversion ("pgn2game", "pgnlist2game").
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "board/types.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/outfile.h"

// Both return true when every file was converted, skipped games included;
// false when a file could not be opened or its conversion ended with an error.
bool ConvertPgnList(const char* listName, const char* gameName);
bool ConvertPgnFile(const char* pgnName, const char* gameName, int& total);

// Buffered character reader over a PGN file. A Ctrl-Z (the old end-of-text
// mark) ends the text like the end of the file.
class PgnReader {
public:
    // Starts reading a newly opened file.
    void Open(std::FILE* file);
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
    // Bytes of the file read so far.
    uint64_t BytesRead() const { return bytesFilled_ - static_cast<uint64_t>(end_ - next_); }
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
    std::FILE* file_ = nullptr;
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
// Reads the tag section; true when the stream is still readable. A fault of
// the tags is left in why.
bool ReadPgnTags(GameRecord& game, PgnReader& stream, SkipReason& why);
// Reads one move token into game.sanText; the move it names or 0.
Move ReadSanToken(GameRecord& game, PgnReader& stream);

// The games of a GAME file, for the duplicate test in constant time per game.
// Only a fingerprint and the place of each record are held; a record whose
// fingerprint matches is read back from the file and compared in full.
class GameSet {
public:
    // Reads every record of the file from its start. A record the file cannot
    // hold (bad result bits, bad count, cut off by the end) stops the reading:
    // games not found before it raise that fault in AddNew, because nothing
    // may be appended behind it.
    void Load(OutputFile& gameFile);
    // Uses the file again, opened anew for the next file of a list.
    void Attach(OutputFile& gameFile) { file_ = &gameFile; }
    // False when an equal game is held. Otherwise raises the file's fault,
    // or takes the game as the record to be appended at offset: true.
    bool AddNew(const GameRecord& game, uint64_t offset);
    bool Loaded() const { return loaded_; }
    int64_t Size() const { return count_; }

private:
    struct Slot {
        uint64_t fingerprint;  // 0: free
        uint64_t offset;
    };
    void Insert(uint64_t fingerprint, uint64_t offset);
    void Grow();
    bool SameRecord(uint64_t offset, const unsigned char* bytes, size_t size);

    struct FreeSlots {
        void operator()(Slot* slots) const { std::free(slots); }
    };
    // A power of two of slots, in huge pages when large: the probes are random.
    std::unique_ptr<Slot[], FreeSlots> slots_;
    size_t slotCount_ = 0;
    int64_t count_ = 0;
    bool loaded_ = false;
    const char* fault_ = nullptr;
    OutputFile* file_ = nullptr;
    // A window of the file's bytes for comparing records.
    std::vector<unsigned char> window_;
    uint64_t windowStart_ = 0;
    size_t windowSize_ = 0;
};
