// Principal variation text read back from the transposition table.
#pragma once

// Room for 128 moves of up to five characters and a blank, and a result text.
constexpr int PV_TEXT_SIZE = 1024;
extern char pvText[PV_TEXT_SIZE];

// Writes the line of table moves from the current position into out, at most
// movesAllowed moves, ended by a result text when the line reaches a stored
// mate, stalemate or other special result, or "NOE " where the table has no
// entry. Position, currentPly and the ply records are left as they were.
void BuildPvText(char* out, int movesAllowed);
