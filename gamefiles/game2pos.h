// GAME to position database ("game2pos").
#pragma once

#include <cstdio>
#include "gamefiles/gamefile.h"

void GameToPositions(const char* gameName, const char* dbName);
void WriteGamePositions(GameRecord& game, std::FILE* stream, int maxPly);
void WritePositionLine(GameRecord& game, std::FILE* stream, int i);
