// Legality tests applied after a move has been made.
#pragma once

#include "board/plyrecord.h"
#include "board/tables.h"

// True when the king of side is attacked, or move castles through an attacked square.
bool KingAttackedAfterMove(Move move, Colour side);

// Pieces of side that stand alone between its king and an enemy slider on
// the slider's line.
Bitboard PinnedPieces(Colour side);
// The same answer as above, quicker, given what held before the move: the
// mover's check information and pinned pieces. Out of check, a move that is
// neither a king move nor en passant exposes the king only by taking a
// pinned piece off its line.
inline bool KingAttackedAfterMove(Move move, Colour side, const CheckInfo& before, Bitboard pinned) {
    const int k = pos.kingSq[side];
    const Square from = FromOf(move), to = ToOf(move);
    if (before.checkers || to == k || KindOfMove(move) == KIND_EN_PASSANT || IsCastling(move) || !HasKing(k))
        return KingAttackedAfterMove(move, side);
    return (pinned & squareBit[from]) && !(lineThrough[k][from] & squareBit[to]);
}
using CastlingPathFn = bool (*)(Move move);
extern const CastlingPathFn CastlingPathAttacked[2];
// True when move is a pseudo-legal knight, bishop, rook, queen or king move
// (kind 0 or 1) of the side to move; pawn moves and castling answer false.
bool IsPseudoLegal(Move move);

// A legal position has at most 218 moves: room for every one of them.
constexpr int MAX_LEGAL_MOVES = 256;
// Fills out with every legal move of the side to move (at most
// MAX_LEGAL_MOVES) and returns the count, in generator order. Makes its trial moves with a record
// of its own, so the position, currentPly and the records are left as they were.
int GenerateLegalMoves(Move* out);
// True when move is one of the legal moves of the current position. Front-end
// moves, book moves and table moves are checked with this before they are made.
bool IsLegalMove(Move move);
// True when the side to move is in check and has no legal move.
bool SideToMoveIsMated();
