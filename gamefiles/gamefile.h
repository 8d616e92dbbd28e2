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

// False at the end of the file, also for a record cut off by it.
bool ReadGame(GameRecord& game, std::FILE* stream);
void WriteGame(const GameRecord& game, std::FILE* stream);
bool GamesEqual(const GameRecord& a, const GameRecord& b);
void GameToPgn(const char* gameName, const char* pgnName);
void WriteGamePgn(const GameRecord& game, std::FILE* stream);
void WriteResultTag(const GameRecord& game, std::FILE* stream);
