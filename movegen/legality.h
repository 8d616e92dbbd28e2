// Legality tests applied after a move has been made.
#pragma once

#include "board/types.h"

// True when the king of side is attacked, or move castles through an attacked square.
bool KingAttackedAfterMove(Move move, Colour side);
using CastlingPathFn = bool (*)(Move move);
extern const CastlingPathFn CastlingPathAttacked[2];
// True when move is a pseudo-legal knight, bishop, rook, queen or king move
// (kind 0 or 1) of the side to move; pawn moves and castling answer false.
bool IsPseudoLegal(Move move);

// Fills out with every legal move of the side to move (at most 256) and
// returns the count, in generator order. Makes its trial moves with a record
// of its own, so the position, currentPly and the records are left as they were.
int GenerateLegalMoves(Move* out);
// True when move is one of the legal moves of the current position. Front-end
// moves, book moves and table moves are checked with this before they are made.
bool IsLegalMove(Move move);
