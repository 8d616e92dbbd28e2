// Legality is decided after a move has been made: the generators are
// pseudo-legal, and the mover's king must not be left attacked.
#include "movegen/legality.h"

#include <initializer_list>

#include "board/makemove.h"
#include "board/plyrecord.h"
#include "movegen/emit.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"

using namespace movegen;

namespace {

// True when an enemy of side (not its king) attacks sq with the current occupancy.
template <Colour Side>
inline bool SquareAttacked(int sq) {
    constexpr Colour enemy = Opponent(Side);
    if (pos.pieceBB[CodeOf(KNIGHT, enemy)] & knightAttacks[sq]) return true;
    if (pos.pieceBB[CodeOf(PAWN, enemy)] & PawnAttacksOf<Side>()[sq]) return true;
    const Bitboard rookLike = pos.pieceBB[CodeOf(ROOK, enemy)] | pos.pieceBB[CodeOf(QUEEN, enemy)];
    const Bitboard diagonalLike = pos.pieceBB[CodeOf(BISHOP, enemy)] | pos.pieceBB[CodeOf(QUEEN, enemy)];
    if ((rookLike | diagonalLike) & queenRays[sq]) {
        if ((rookLike & rookRays[sq]) && (RookAttacks(sq) & rookLike)) return true;
        if ((diagonalLike & bishopRays[sq]) && (BishopAttacks(sq) & diagonalLike)) return true;
    }
    return false;
}

// Squares next to each castling path, where the enemy king may not stand.
constexpr Bitboard Squares(std::initializer_list<int> squares) {
    Bitboard b = 0;
    for (int s : squares) b |= BitOf(s);
    return b;
}
constexpr Bitboard NEAR_WHITE_SHORT = Squares({SQ_E1, SQ_F1, SQ_G1, SQ_H1, SQ_E2, SQ_F2, SQ_G2, SQ_H2});
constexpr Bitboard NEAR_WHITE_LONG = Squares({SQ_B1, SQ_C1, SQ_D1, SQ_B2, SQ_C2, SQ_D2});
constexpr Bitboard NEAR_BLACK_SHORT = Squares({SQ_E8, SQ_F8, SQ_G8, SQ_H8, SQ_E7, SQ_F7, SQ_G7, SQ_H7});
constexpr Bitboard NEAR_BLACK_LONG = Squares({SQ_B8, SQ_C8, SQ_D8, SQ_B7, SQ_C7, SQ_D7});

// Called with the castling move already made: the king's start and the square
// it passed over must be safe, and the enemy king must not be next to the path.
template <Colour Side>
bool CastlingPathAttackedOf(Move move) {
    constexpr int e = Side == WHITE ? SQ_E1 : SQ_E8;
    const bool isShort = KindOfMove(move) == (Side == WHITE ? KIND_CASTLE_WHITE_SHORT : KIND_CASTLE_BLACK_SHORT);
    if (SquareAttacked<Side>(e)) return true;
    if (SquareAttacked<Side>(isShort ? e + 1 : e - 1)) return true;
    const Bitboard nearPath = Side == WHITE ? (isShort ? NEAR_WHITE_SHORT : NEAR_WHITE_LONG)
                                            : (isShort ? NEAR_BLACK_SHORT : NEAR_BLACK_LONG);
    return KingBit(Opponent(Side)) & nearPath;
}

template <Colour Side>
bool KingAttackedAfterMoveOf(Move move) {
    const int k = pos.kingSq[Side];
    if (!HasKing(k)) return false;  // a side without a king is never in check
    if (SquareAttacked<Side>(k)) return true;
    return IsCastling(move) && CastlingPathAttackedOf<Side>(move);
}

}  // namespace

const CastlingPathFn CastlingPathAttacked[2] = {CastlingPathAttackedOf<BLACK>, CastlingPathAttackedOf<WHITE>};

bool KingAttackedAfterMove(Move move, Colour side) {
    return side == WHITE ? KingAttackedAfterMoveOf<WHITE>(move) : KingAttackedAfterMoveOf<BLACK>(move);
}

Bitboard PinnedPieces(Colour side) {
    const int k = pos.kingSq[side];
    if (!HasKing(k)) return 0;
    const Colour enemy = Opponent(side);
    const Bitboard queens = pos.pieceBB[CodeOf(QUEEN, enemy)];
    Bitboard pinners = ((pos.pieceBB[CodeOf(ROOK, enemy)] | queens) & rookRays[k]) |
                       ((pos.pieceBB[CodeOf(BISHOP, enemy)] | queens) & bishopRays[k]);
    Bitboard pinned = 0;
    for (; pinners; pinners &= pinners - 1) {
        const Bitboard between = squaresBetween[k][FirstSquare(pinners)] & pos.occupied;
        if (between && !(between & (between - 1)) && (between & pos.colourBB[side])) pinned |= between;
    }
    return pinned;
}

bool IsPseudoLegal(Move move) {
    const int from = FromOf(move), to = ToOf(move), kind = KindOfMove(move);
    const int piece = pos.board[from];
    const Colour side = pos.sideToMove;
    if (piece == EMPTY || SideOf(piece) != side) return false;
    if (kind != KIND_QUIET && kind != KIND_CAPTURE) return false;
    Bitboard reach;
    switch (KindOf(piece)) {
    case KNIGHT: reach = knightAttacks[from]; break;
    case BISHOP: reach = BishopAttacks(from); break;
    case ROOK: reach = RookAttacks(from); break;
    case QUEEN: reach = QueenAttacks(from); break;
    case KING:
        if (from != pos.kingSq[side]) return false;
        reach = kingAttacks[from];
        break;
    default: return false;  // pawn moves are never asked about
    }
    if (!(reach & squareBit[to])) return false;
    if (kind == KIND_QUIET) return pos.board[to] == EMPTY;
    // Capturing a king is never a move.
    return (pos.colourBB[Opponent(side)] & ~KingBit(Opponent(side)) & squareBit[to]) != 0;
}

int GenerateLegalMoves(Move* out) {
    ScoredMove list[512];
    CheckInfo info;
    ComputeCheckInfo(&info);
    const Colour side = pos.sideToMove;
    ScoredMove* end = GenerateNodeMoves(list, &info);
    // A record of its own, so that a caller's snapshot in currentPly survives.
    PlyRecord record;
    SaveSnapshot(&record);
    int count = 0;
    for (ScoredMove* m = list; m != end && count < MAX_LEGAL_MOVES; ++m) {
        MakeMove(m->move, &record);
        if (!KingAttackedAfterMove(m->move, side)) out[count++] = m->move;
        UnmakeMove(m->move, &record);
    }
    return count;
}

bool IsLegalMove(Move move) {
    if (move == MOVE_NONE || IsSpecialMove(move)) return false;
    Move legal[MAX_LEGAL_MOVES];
    const int count = GenerateLegalMoves(legal);
    for (int i = 0; i < count; ++i)
        if (legal[i] == move) return true;
    return false;
}

bool SideToMoveIsMated() {
    CheckInfo check;
    ComputeCheckInfo(&check);
    Move legal[MAX_LEGAL_MOVES];
    return check.checkers != 0 && GenerateLegalMoves(legal) == 0;
}
