// Setting up a new position: the one place where the board reaches up into
// the search tables, the evaluation cache, the book and the SAN reader.
#pragma once

// Returns false, leaving the previous position untouched, for a rejected text.
// With loadBook, the book is loaded when the position is the start position
// (other positions have no book); a book that cannot be loaded then prints
// the book error, unless reportBookError is false, and is logged either way.
bool SetBoard(const char* text, bool loadBook, bool reportBookError = true);

// The start position for the game-file conversions. With searchTables the
// tables of the search are cleared as by every set-up (the engine, which may
// search next); without, they are left as they are: pelmot-games has no
// search and never touches their memory.
void SetStartForConversion(bool searchTables);
