// Standard algebraic notation move reading.
#pragma once

#include <string>

#include "board/types.h"

// The move the text names in the current position, or 0 when the text names
// no legal move there. The position is left as it was.
Move ParseSan(const char* text);
// The same reading without the final legality test: the move the notation
// describes, which may be illegal (the PGN reader reports those itself).
Move ReadSanMove(const char* text);
Move ResolveSanSource(const char* text, int to, Bitboard mask);
Move ParseSanCoordinates(const char* text);
// True when text is an en-passant mark, "ep" or "e.p.", which some writers
// put after an en-passant capture, joined to it or as a word of its own.
bool IsEnPassantMark(const char* text);
// True when text is a null move ("--", "Z0"), which some programs write for
// a side that passes; no game of chess holds one.
bool IsNullMoveText(const char* text);
int PromotionKindOf(char letter);
int CapturePromotionKindOf(char letter);
// The standard algebraic text of a legal move, among the legal moves of the
// position (for the disambiguation), without check or mate marks.
std::string MoveToSan(Move move, const Move* legal, int count);
