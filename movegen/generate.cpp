// The full and the capture generators. The order of the sections and of the
// squares within them is observable (the search breaks score ties by list
// position), so it is fixed: pieces and destinations from h1 towards a8.
#include "movegen/generate.h"

#include "movegen/emit.h"

using namespace movegen;

namespace {

// Pawn captures in one direction: en passant, captures with promotion, then
// the other captures. Shared by both generators.
template <Colour Side, int Delta>
ScoredMove* PawnCaptures(ScoredMove* list, Bitboard targets, Bitboard enemy) {
    using G = PawnGeometry<Side>;
    if (!targets) return list;
    const int ep = pos.epSquare;
    // A set-up may leave an en-passant square that no double step produced;
    // only a real one, with the enemy pawn behind it, is offered.
    if (ep != 0 && (targets & squareBit[ep]) && RowOf(ep) == G::EP_ROW &&
        pos.board[ep + G::PUSH] == CodeOf(PAWN, Opponent(Side)))
        list = Emit(list, ep + Delta, ep, KIND_EN_PASSANT, PlainCaptureScore(ValueOfKind(PAWN), ValueOfKind(PAWN)));
    for (Bitboard b = targets & enemy & G::PROMOTION_RANK; b; b &= b - 1) {
        const Square to = FirstSquare(b);
        list = EmitPromotions(list, to + Delta, to, true, pieceValue[pos.board[to]]);
    }
    for (Bitboard b = targets & enemy & ~G::PROMOTION_RANK; b; b &= b - 1) {
        const Square to = FirstSquare(b);
        list = Emit(list, to + Delta, to, KIND_CAPTURE, PlainCaptureScore(pieceValue[pos.board[to]], ValueOfKind(PAWN)));
    }
    return list;
}

template <Colour Side>
ScoredMove* BothPawnCaptures(ScoredMove* list, Bitboard enemy) {
    using G = PawnGeometry<Side>;
    const Bitboard pawns = pos.pieceBB[CodeOf(PAWN, Side)];
    list = PawnCaptures<Side, G::TOWARD_A>(list, G::CaptureTowardA(pawns), enemy);
    return PawnCaptures<Side, G::TOWARD_H>(list, G::CaptureTowardH(pawns), enemy);
}

// Attacks of one piece kind from a square with the current occupancy.
template <PieceKind Kind> inline Bitboard AttacksFrom(int sq) {
    if constexpr (Kind == KNIGHT) return knightAttacks[sq];
    else if constexpr (Kind == BISHOP) return BishopAttacks(sq);
    else if constexpr (Kind == ROOK) return RookAttacks(sq);
    else if constexpr (Kind == QUEEN) return QueenAttacks(sq);
    else return kingAttacks[sq];
}

// Captures of one piece from one square; with Filter only those scoring at
// least ORDER_HISTORY_STAGE (the capture generator drops losing and even exchanges).
template <Colour Side, PieceKind Kind, bool Filter>
inline ScoredMove* PieceCaptures(ScoredMove* list, Square from, Bitboard captures, Bitboard rs, Bitboard ds) {
    constexpr PieceCode piece = CodeOf(Kind, Side);
    for (; captures; captures &= captures - 1) {
        const Square to = FirstSquare(captures);
        const int score = CaptureScore<ValueOfKind(Kind)>(piece, from, to, rs, ds);
        if (!Filter || static_cast<int16_t>(score) >= ORDER_HISTORY_STAGE) list = Emit(list, from, to, KIND_CAPTURE, score);
    }
    return list;
}

inline ScoredMove* QuietMoves(ScoredMove* list, int from, Bitboard targets) {
    for (; targets; targets &= targets - 1) list = Emit(list, from, FirstSquare(targets), KIND_QUIET, ORDER_QUIET);
    return list;
}

// Every piece of one kind: its captures, then (full generator) its quiet moves.
template <Colour Side, PieceKind Kind, bool CapturesOnly>
ScoredMove* PieceMoves(ScoredMove* list, Bitboard own, Bitboard enemy, Bitboard rs, Bitboard ds) {
    for (Bitboard pieces = pos.pieceBB[CodeOf(Kind, Side)]; pieces; pieces &= pieces - 1) {
        const Square from = FirstSquare(pieces);
        const Bitboard targets = AttacksFrom<Kind>(from) & ~own;
        list = PieceCaptures<Side, Kind, CapturesOnly>(list, from, targets & enemy, rs, ds);
        if (!CapturesOnly) list = QuietMoves(list, from, targets & ~pos.occupied);
    }
    return list;
}

template <Colour Side, bool CapturesOnly>
ScoredMove* KingMoves(ScoredMove* list, Bitboard own, Bitboard enemy, Bitboard rs, Bitboard ds) {
    const Square from = ToSquare(pos.kingSq[Side]);
    if (!HasKing(from)) return list;
    const Bitboard targets = kingAttacks[from] & ~KingZone(Opponent(Side)) & ~own;
    list = PieceCaptures<Side, KING, CapturesOnly>(list, from, targets & enemy, rs, ds);
    if (!CapturesOnly) list = QuietMoves(list, from, targets & ~pos.occupied);
    return list;
}

template <Colour Side>
ScoredMove* Castling(ScoredMove* list) {
    const unsigned rights = pos.castleRights;
    if (!rights) return list;
    constexpr int king = CodeOf(KING, Side), rook = CodeOf(ROOK, Side);
    constexpr int e = Side == WHITE ? SQ_E1 : SQ_E8;
    // Rights without the king and rook in place can only come from a set-up;
    // castling then would corrupt the board.
    if (pos.board[e] != king) return list;
    constexpr unsigned shortRight = Side == WHITE ? CASTLE_WHITE_SHORT : CASTLE_BLACK_SHORT;
    constexpr unsigned longRight = Side == WHITE ? CASTLE_WHITE_LONG : CASTLE_BLACK_LONG;
    const PieceCode* b = pos.board;
    if ((rights & shortRight) && b[e + 1] == EMPTY && b[e + 2] == EMPTY && b[e + 3] == rook)
        list = Emit(list, e, e + 2, Side == WHITE ? KIND_CASTLE_WHITE_SHORT : KIND_CASTLE_BLACK_SHORT, ORDER_SHORT_CASTLING);
    if ((rights & longRight) && b[e - 1] == EMPTY && b[e - 2] == EMPTY && b[e - 3] == EMPTY && b[e - 4] == rook)
        list = Emit(list, e, e - 2, Side == WHITE ? KIND_CASTLE_WHITE_LONG : KIND_CASTLE_BLACK_LONG, ORDER_LONG_CASTLING);
    return list;
}

template <Colour Side>
ScoredMove* GenerateMovesOf(ScoredMove* list) {
    using G = PawnGeometry<Side>;
    const Bitboard rs = RookSliders(), ds = DiagonalSliders();
    const Bitboard own = pos.colourBB[Side];
    const Bitboard enemy = CapturableBy(Side);

    list = BothPawnCaptures<Side>(list, enemy);
    list = PieceMoves<Side, KNIGHT, false>(list, own, enemy, rs, ds);
    list = PieceMoves<Side, QUEEN, false>(list, own, enemy, rs, ds);
    list = PieceMoves<Side, ROOK, false>(list, own, enemy, rs, ds);
    list = PieceMoves<Side, BISHOP, false>(list, own, enemy, rs, ds);

    const Bitboard empty = ~pos.occupied;
    const Bitboard steps = G::Push(pos.pieceBB[CodeOf(PAWN, Side)]) & empty;
    for (Bitboard b = steps & G::PROMOTION_RANK; b; b &= b - 1) {
        const Square to = FirstSquare(b);
        list = EmitPromotions(list, to + G::PUSH, to, false, 0);
    }
    for (Bitboard b = G::Push(steps & G::DOUBLE_STEP_RANK) & empty; b; b &= b - 1) {
        const Square to = FirstSquare(b);
        list = Emit(list, to + 2 * G::PUSH, to, KIND_QUIET, ORDER_QUIET);
    }
    for (Bitboard b = steps & ~G::PROMOTION_RANK; b; b &= b - 1) {
        const Square to = FirstSquare(b);
        list = Emit(list, to + G::PUSH, to, KIND_QUIET, ORDER_QUIET);
    }

    list = KingMoves<Side, false>(list, own, enemy, rs, ds);
    return Castling<Side>(list);
}

template <Colour Side>
ScoredMove* GenerateCapturesOf(ScoredMove* list) {
    using G = PawnGeometry<Side>;
    const Bitboard rs = RookSliders(), ds = DiagonalSliders();
    const Bitboard own = pos.colourBB[Side];
    const Bitboard enemy = CapturableBy(Side);

    list = BothPawnCaptures<Side>(list, enemy);
    constexpr PieceCode pawn = CodeOf(PAWN, Side);
    for (Bitboard b = G::Push(pos.pieceBB[pawn]) & ~pos.occupied & G::PROMOTION_RANK; b; b &= b - 1) {
        const Square to = FirstSquare(b);
        const int16_t score = StaticExchange(pawn, ToSquare(to + G::PUSH), to, rs, ds);
        if (score >= ORDER_HISTORY_STAGE) list = Emit(list, to + G::PUSH, to, KIND_PROMO_QUEEN, score);
    }
    list = PieceMoves<Side, KNIGHT, true>(list, own, enemy, rs, ds);
    list = PieceMoves<Side, BISHOP, true>(list, own, enemy, rs, ds);
    list = PieceMoves<Side, ROOK, true>(list, own, enemy, rs, ds);
    list = PieceMoves<Side, QUEEN, true>(list, own, enemy, rs, ds);
    return KingMoves<Side, true>(list, own, enemy, rs, ds);
}

}  // namespace

const GeneratorFn GenerateMoves[2] = {GenerateMovesOf<BLACK>, GenerateMovesOf<WHITE>};
const GeneratorFn GenerateCaptures[2] = {GenerateCapturesOf<BLACK>, GenerateCapturesOf<WHITE>};
