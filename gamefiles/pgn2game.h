// PGN to GAME conversion ("pgn2game", "pgnlist2game").
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/types.h"
#include "gamefiles/gamefile.h"

void ConvertPgnList(const char* listName, const char* gameName);
void ConvertPgnFile(const char* pgnName, const char* gameName, int& total);

// Buffered character reader over a PGN file. Readable until a read or a peek
// meets the end of the file.
class PgnReader {
public:
    // Starts reading a newly opened file.
    void Open(std::FILE* file) {
        file_ = file;
        next_ = end_ = buffer_;
        atEnd_ = false;
    }
    int Get() {
        if (next_ == end_ && !Fill()) return EOF;
        return static_cast<unsigned char>(*next_++);
    }
    int Peek() {
        if (next_ == end_ && !Fill()) return EOF;
        return static_cast<unsigned char>(*next_);
    }
    // Puts back the character just read.
    void Unget() {
        if (!atEnd_ && next_ > buffer_) --next_;
    }
    bool Readable() const { return !atEnd_; }
    void SkipWhitespace();

private:
    bool Fill();
    std::FILE* file_ = nullptr;
    char buffer_[1 << 16];
    char* next_ = buffer_;
    char* end_ = buffer_;
    bool atEnd_ = false;
};

// Result bits of a game to store, or 0 for a game to skip; raises GameFileError.
uint16_t ReadPgnGame(GameRecord& game, PgnReader& stream);
// Reads the tag section; true when the stream is still readable.
bool ReadPgnTags(GameRecord& game, PgnReader& stream);
// Reads one move token into game.sanText; the move it names or 0.
Move ReadSanToken(GameRecord& game, PgnReader& stream);

// The games of a GAME file, for the duplicate test in constant time per game.
class GameSet {
public:
    // Reads every record of the file from its start. A record the file cannot
    // hold (bad result bits, bad count, cut off by the end) stops the reading:
    // games not found before it raise that fault in Contains, because nothing
    // may be appended behind it.
    void Load(std::FILE* gameFile);
    // True when an equal game is held; raises the file's fault otherwise.
    bool Contains(const GameRecord& game) const;
    void Add(const GameRecord& game);
    bool Loaded() const { return loaded_; }
    int Size() const { return count_; }

private:
    uint64_t HashOf(const uint16_t* words) const;
    bool Find(const uint16_t* words, uint64_t hash) const;
    void Insert(const uint16_t* words, uint64_t hash);
    void Grow();

    std::vector<uint16_t> pool_;   // the records one after another
    std::vector<uint32_t> slots_;  // offset into pool_ + 1, 0 when free
    int count_ = 0;
    bool loaded_ = false;
    const char* fault_ = nullptr;
};
