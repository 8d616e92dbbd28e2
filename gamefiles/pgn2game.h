// PGN to GAME conversion ("pgn2game", "pgnlist2game").
#pragma once

// Both return true when every file was converted, skipped games included;
// false when a file could not be opened or its conversion ended with an error.
bool ConvertPgnList(const char* listName, const char* gameName);
bool ConvertPgnFile(const char* pgnName, const char* gameName, int& total);

// pelmot-games: the number of processes that read one PGN file (1 for the
// typed commands), and the size of the pieces they share out. A file that
// can be opened anew (not standard input) and is larger than a piece is read
// by several; the GAME file is the same byte for byte. oneProcess runs the
// jobs one after another in this process (the fuzz harness).
void SetConversionJobs(int jobs, unsigned long long pieceSize, bool oneProcess = false);

