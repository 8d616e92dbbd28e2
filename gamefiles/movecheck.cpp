// The membership test follows the full generator rule by rule: which pieces
// it moves, onto which squares and with which kinds. A test compares it with
// the generated list for every move word in many positions.
#include "gamefiles/movecheck.h"

#include "board/position.h"
#include "board/tables.h"
#include "movegen/evasions.h"

namespace {

constexpr int PROMOTION_ROW[2] = {7, 0};    // by side: rank 1 for black, rank 8 for white
constexpr int DOUBLE_STEP_ROW[2] = {3, 4};  // row a double step lands on
constexpr int EN_PASSANT_ROW[2] = {5, 2};   // row of the squares a side captures en passant on
constexpr int FORWARD[2] = {1, -1};         // row change of a pawn step

bool IsEmpty(int sq) { return pos.board[sq] == EMPTY; }

// An enemy man other than the king: the only capture targets the generator offers.
bool IsEnemyTarget(int sq, Colour side) {
    const int piece = pos.board[sq];
    return piece != EMPTY && SideOf(piece) != side && KindOf(piece) != KING;
}

bool IsPawnDiagonal(int from, int to, Colour side) {
    const int columns = ColumnOf(to) - ColumnOf(from);
    return RowOf(to) - RowOf(from) == FORWARD[side] && (columns == 1 || columns == -1);
}

bool IsPawnStep(int from, int to, Colour side) { return to - from == 8 * FORWARD[side]; }

Bitboard PieceReach(int kind, int from, Colour side) {
    switch (kind) {
    case KNIGHT: return knightAttacks[from];
    case BISHOP: return BishopAttacks(from);
    case ROOK: return RookAttacks(from);
    case QUEEN: return QueenAttacks(from);
    default: {  // the king keeps off the squares next to the enemy king
        const int enemyKing = pos.kingSq[side ^ 1];
        return kingAttacks[from] & (HasKing(enemyKing) ? ~kingAttacks[enemyKing] : ~Bitboard{0});
    }
    }
}

bool CastlingListed(Move move, Colour side) {
    const int kind = KindOfMove(move);
    const bool isShort = kind == KIND_CASTLE_WHITE_SHORT || kind == KIND_CASTLE_BLACK_SHORT;
    const bool isWhite = kind == KIND_CASTLE_WHITE_SHORT || kind == KIND_CASTLE_WHITE_LONG;
    if (isWhite != (side == WHITE)) return false;
    const int e = side == WHITE ? SQ_E1 : SQ_E8;
    if (FromOf(move) != e || ToOf(move) != (isShort ? e + 2 : e - 2)) return false;
    const unsigned right = side == WHITE ? (isShort ? CASTLE_WHITE_SHORT : CASTLE_WHITE_LONG)
                                         : (isShort ? CASTLE_BLACK_SHORT : CASTLE_BLACK_LONG);
    if (!(pos.castleRights & right) || pos.board[e] != CodeOf(KING, side)) return false;
    const PieceCode rook = CodeOf(ROOK, side);
    if (isShort) return IsEmpty(e + 1) && IsEmpty(e + 2) && pos.board[e + 3] == rook;
    return IsEmpty(e - 1) && IsEmpty(e - 2) && IsEmpty(e - 3) && pos.board[e - 4] == rook;
}

bool PawnMoveListed(int from, int to, int kind, Colour side) {
    const bool lastRank = RowOf(to) == PROMOTION_ROW[side];
    switch (kind) {
    case KIND_QUIET:
        if (!IsEmpty(to) || lastRank) return false;
        if (IsPawnStep(from, to, side)) return true;
        return to - from == 16 * FORWARD[side] && RowOf(to) == DOUBLE_STEP_ROW[side] && IsEmpty((from + to) / 2);
    case KIND_CAPTURE: return !lastRank && IsPawnDiagonal(from, to, side) && IsEnemyTarget(to, side);
    case KIND_EN_PASSANT:
        return pos.epSquare != 0 && to == pos.epSquare && RowOf(to) == EN_PASSANT_ROW[side] &&
               IsPawnDiagonal(from, to, side) && pos.board[to - 8 * FORWARD[side]] == CodeOf(PAWN, Opponent(side));
    case KIND_PROMO_QUEEN: case KIND_PROMO_KNIGHT: case KIND_PROMO_ROOK: case KIND_PROMO_BISHOP:
        return lastRank && IsPawnStep(from, to, side) && IsEmpty(to);
    case KIND_CAPTURE_PROMO_QUEEN: case KIND_CAPTURE_PROMO_KNIGHT:
    case KIND_CAPTURE_PROMO_ROOK: case KIND_CAPTURE_PROMO_BISHOP:
        return lastRank && IsPawnDiagonal(from, to, side) && IsEnemyTarget(to, side);
    default: return false;
    }
}

}  // namespace

bool InFullMoveList(Move move) {
    const Colour side = pos.sideToMove;
    const int kind = KindOfMove(move);
    if (kind >= KIND_CASTLE_BLACK_SHORT) return CastlingListed(move, side);
    const int from = FromOf(move), to = ToOf(move);
    const int piece = pos.board[from];
    if (piece == EMPTY || SideOf(piece) != side) return false;
    const int pieceKind = KindOf(piece);
    if (pieceKind == PAWN) return PawnMoveListed(from, to, kind, side);
    if (pieceKind == KING && from != pos.kingSq[side]) return false;
    if (kind == KIND_QUIET) {
        if (!IsEmpty(to)) return false;
    } else if (kind != KIND_CAPTURE || !IsEnemyTarget(to, side)) {
        return false;
    }
    return (PieceReach(pieceKind, from, side) & squareBit[to]) != 0;
}

bool IsGeneratedMove(Move move, const CheckInfo& info) {
    if (!info.checkers) return InFullMoveList(move);
    ScoredMove list[256];
    const ScoredMove* end = GenerateNodeMoves(list, &info);
    for (const ScoredMove* entry = list; entry < end; ++entry)
        if (entry->move == move) return true;
    return false;
}
