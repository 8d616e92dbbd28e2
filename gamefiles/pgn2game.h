// PGN to GAME conversion ("pgn2game", "pgnlist2game").
#pragma once

void ConvertPgnList(const char* listName, const char* gameName);
void ConvertPgnFile(const char* pgnName, const char* gameName, int& total);
