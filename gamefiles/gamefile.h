// GAME records: one game in memory and on disk, and GAME to PGN.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>

constexpr int GAME_MAX_MOVES = 1023;

struct GameRecord {
    char sanText[11];
    char resultText[8];
    char resultCode;          // '?', 'W', 'B', 'D' or '*'
    uint16_t moveWords[1024]; // [0] header: count bits 0-13, result bits 14-15
};

// Conversion errors carry a message that the tool's driver prints after "ERROR: ".
struct GameFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Move count of the header word.
int GameMoveCount(const GameRecord& game);
// Result text and code from a header word; raises "WRONG RESULT" for result
// bits 0 and "WRONG MOVE COUNT" for a count above GAME_MAX_MOVES.
void SetGameResult(GameRecord& game, uint16_t header);

class OutputFile;

// Bytes of a record on disk: 2 x (n + 1); EncodeGame writes them to bytes.
int GameRecordSize(const GameRecord& game);
void EncodeGame(const GameRecord& game, unsigned char* bytes);

// False at the end of the file, also for a record cut off by it.
bool ReadGame(GameRecord& game, std::FILE* stream);
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
// was converted.
bool ConvertGameFile(const char* gameName, const char* outName, const char* outKind, const char* createFormat,
                     void (*prepare)(), void (*write)(GameRecord&, OutputFile&, int));
