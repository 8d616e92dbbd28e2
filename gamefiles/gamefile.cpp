// Placeholder until this subsystem lands.
#include "gamefiles/gamefile.h"
bool ReadGame(GameRecord&, std::FILE*) { return false; }
void WriteGame(const GameRecord&, std::FILE*) {}
bool GamesEqual(const GameRecord&, const GameRecord&) { return false; }
void GameToPgn(const char*, const char*) {}
void WriteGamePgn(const GameRecord&, std::FILE*) {}
void WriteResultTag(const GameRecord&, std::FILE*) {}
