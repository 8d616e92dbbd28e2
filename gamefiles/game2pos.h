// GAME to position database ("game2pos").
#pragma once

#include "gamefiles/gamefile.h"

class OutputFile;

// True when the whole file was converted.
bool GameToPositions(const char* gameName, const char* dbName);
// The lines of one game, at most maxPly of them, as one unit of the output;
// raises GameFileError for a move the position does not allow, and then
// nothing of the game is written.
void WriteGamePositions(GameRecord& game, OutputFile& out, int maxPly);
void WritePositionLine(GameRecord& game, OutputFile& out, int i);
