// Setting up a new position: the one place where the board reaches up into
// the search tables, the evaluation cache, the book and the SAN reader.
#pragma once

// Returns false, leaving the previous position untouched, for a rejected text.
bool SetBoard(const char* text, bool loadBook);
