// Placeholder until this subsystem lands.
#include "gamefiles/game2pos.h"
void GameToPositions(const char*, const char*) {}
void WriteGamePositions(GameRecord&, std::FILE*, int) {}
void WritePositionLine(GameRecord&, std::FILE*, int) {}
