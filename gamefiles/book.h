// The opening book: lines of moves from the start position, read from a
// binary file and stored into the transposition table with stamp 0.
#pragma once

#include <cstdint>
#include "board/types.h"

// The book's file, read from the working directory.
inline constexpr char BOOK_FILE_NAME[] = "Pelmot.book";

// Longest line the loader accepts; longer lines fail the load.
constexpr int BOOK_MAX_LINE = 64;

// Picks the index of the line stored last (0 .. count-1) for a book of count lines.
using BookLineChooser = int64_t (*)(int64_t count);

// Loads the book; false when anything in it could not be stored as written.
bool BookLoad(const char* fileName);
// The same with the held-back line chosen by the caller.
bool BookLoadChoosing(const char* fileName, BookLineChooser choose);
// Plays the line from the current position, stores its entries and restores
// the position; false (nothing stored) when a move is not legal where it is played.
bool BookAddLine(const Move* moves, int n);
// The key SetBoard gives the standard start position.
uint64_t StartPositionKey();
