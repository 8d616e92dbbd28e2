// Legality tests applied after a move has been made.
#pragma once

#include "board/types.h"

// True when the king of side is attacked, or move castles through an attacked square.
bool KingAttackedAfterMove(Move move, int side);
using CastlingPathFn = bool (*)(Move move);
extern const CastlingPathFn CastlingPathAttacked[2];
// True when move is a pseudo-legal move of the side to move.
bool IsPseudoLegal(Move move);
