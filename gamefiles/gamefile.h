// GAME records: one game in memory and on disk, and GAME to PGN.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

constexpr int GAME_MAX_MOVES = 1023;

struct GameRecord {
    char sanText[11];
    char resultText[8];
    char resultCode;          // '?', 'W', 'B', 'D' or '*'
    uint16_t moveWords[1024]; // [0] header: count bits 0-13, result bits 14-15
};

// Conversion errors carry a message that the tool's driver prints after
// "ERROR: " (what()), and the same in plain words for pelmot-games: the file,
// the place and the system's reason.
class GameFileError : public std::runtime_error {
public:
    explicit GameFileError(const std::string& text, std::string words = {})
        : std::runtime_error(text), words_(words.empty() ? text : std::move(words)) {}
    const std::string& Words() const { return words_; }

private:
    std::string words_;
};

// The error of a file that cannot be read or written (verb "read" or
// "write"): "cannot read GAME file 'NAME'", and in the plain words the
// system's reason after it.
GameFileError FileAccessError(const char* verb, const std::string& kind, const std::string& name,
                              const std::string& reason);

// The plain words for a GAME file that a record fault (the codes that
// SetGameResult raises, or "GAME FILE CUT OFF") stops at offset: a file whose
// first record is no record is not a GAME file at all.
std::string DamagedGameFileWords(const std::string& name, const std::string& code, uint64_t offset);

// The move count bits of a header word.
constexpr uint16_t GAME_COUNT_MASK = 0x3FFF;
// Why a header word cannot begin a record: "WRONG RESULT" for result bits 0,
// "WRONG MOVE COUNT" for a count above GAME_MAX_MOVES; nullptr when it can.
const char* GameHeaderFault(uint16_t header);
// Move count of the header word.
int GameMoveCount(const GameRecord& game);
// Result text and code from a header word; raises its GameHeaderFault.
void SetGameResult(GameRecord& game, uint16_t header);

class OutputFile;

// Bytes of a record on disk: 2 x (n + 1); EncodeGame writes them to bytes.
int GameRecordSize(const GameRecord& game);
void EncodeGame(const GameRecord& game, unsigned char* bytes);

// False at the end of the file, also for a record cut off by it.
bool ReadGame(GameRecord& game, std::FILE* stream);

class Input;
// The records of an input, read a block at a time.
class GameReader {
public:
    explicit GameReader(Input& input) : input_(input), buffer_(BLOCK) {}
    // The next record: false at the end of the input, also for a record cut
    // off by it (Cut() then tells). Raises the record faults of
    // SetGameResult, in plain words naming name and the place.
    bool Next(GameRecord& game, const std::string& name);
    // The bytes of the record Next gave, as on disk.
    const unsigned char* RecordBytes() const { return reinterpret_cast<const unsigned char*>(buffer_.data()) + at_ - last_; }
    size_t RecordSize() const { return last_; }
    uint64_t Offset() const { return offset_; }  // of the next record
    bool Cut() const { return cut_; }

private:
    static constexpr size_t BLOCK = 1 << 16;
    // At least size bytes ahead of at_, unless the input ends first.
    bool Have(size_t size);
    Input& input_;
    std::vector<char> buffer_;
    size_t at_ = 0, end_ = 0, last_ = 0;
    uint64_t offset_ = 0;
    bool cut_ = false;
};
// False when the stream did not take the whole record.
bool WriteGame(const GameRecord& game, std::FILE* stream);
// Appends the record as one unit of the output file.
void WriteGame(const GameRecord& game, OutputFile& out);
bool GamesEqual(const GameRecord& a, const GameRecord& b);
// True when the whole file was converted.
bool GameToPgn(const char* gameName, const char* pgnName);
// The tag line and the movetext line; WriteGamePgn ends the game's unit.
void WriteGamePgn(const GameRecord& game, OutputFile& out);
void WriteResultTag(const GameRecord& game, OutputFile& out);

// The frame of "game2pgn" and "game2pos": opens the GAME file and the output
// (printing createFormat with its name when that fails), calls prepare, then
// write for every game with its number from 1, and reports "OK" or the error
// and the games whose output is whole in the file. True when the whole file
// was converted. pelmot-games reads "-" as standard input and writes "-" to
// standard output.
bool ConvertGameFile(const char* gameName, const char* outName, const char* outKind, const char* createFormat,
                     void (*prepare)(), void (*write)(GameRecord&, OutputFile&, int));
