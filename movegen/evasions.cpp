// Check information and the generator of moves that can meet a check:
// captures of a single checker, interpositions, and king moves.
#include "movegen/evasions.h"

#include "movegen/emit.h"
#include "movegen/generate.h"

using namespace movegen;

void ComputeCheckInfo(CheckInfo* info) {
    const Colour side = pos.sideToMove, enemy = Opponent(side);
    const int k = pos.kingSq[side];
    info->checkers = 0;
    if (!HasKing(k)) return;  // a side without a king is never in check
    const Bitboard rookLike = pos.pieceBB[CodeOf(ROOK, enemy)] | pos.pieceBB[CodeOf(QUEEN, enemy)];
    const Bitboard diagonalLike = pos.pieceBB[CodeOf(BISHOP, enemy)] | pos.pieceBB[CodeOf(QUEEN, enemy)];
    Bitboard checkers = 0;
    if ((rookLike | diagonalLike) & queenRays[k]) {
        if (rookLike & rookRays[k]) {
            info->rookRays = RookAttacks(k);
            checkers = info->rookRays & rookLike;
        }
        if (diagonalLike & bishopRays[k]) {
            // With a single diagonal checker the evasion generator finds its
            // line through a zero rook-line field.
            if (!checkers) info->rookRays = 0;
            info->diagonalRays = BishopAttacks(k);
            checkers |= info->diagonalRays & diagonalLike;
        }
    }
    const Bitboard* pawnAttacks = side == WHITE ? whitePawnAttacks : blackPawnAttacks;
    checkers |= pos.pieceBB[CodeOf(KNIGHT, enemy)] & knightAttacks[k];
    checkers |= pos.pieceBB[CodeOf(PAWN, enemy)] & pawnAttacks[k];
    info->checkers = checkers;
}

namespace {

template <PieceKind Kind> inline Bitboard SliderAttacks(int sq) {
    if constexpr (Kind == BISHOP) return BishopAttacks(sq);
    else if constexpr (Kind == ROOK) return RookAttacks(sq);
    else return QueenAttacks(sq);
}
template <PieceKind Kind> inline Bitboard EmptyRays(int sq) {
    if constexpr (Kind == BISHOP) return bishopRays[sq];
    else if constexpr (Kind == ROOK) return rookRays[sq];
    else return queenRays[sq];
}

// A slider kind's captures of the checker on q and its interpositions.
template <Colour Side, PieceKind Kind>
ScoredMove* SliderEvasions(ScoredMove* list, int q, Bitboard block) {
    const Bitboard pieces = pos.pieceBB[CodeOf(Kind, Side)];
    if (pieces & EmptyRays<Kind>(q)) {
        for (Bitboard b = pieces & SliderAttacks<Kind>(q); b; b &= b - 1)
            list = Emit(list, FirstSquare(b), q, KIND_CAPTURE, PlainCaptureScore(pieceValue[pos.board[q]], ValueOfKind(Kind)));
    }
    if (block) {
        for (Bitboard p = pieces; p; p &= p - 1) {
            const Square from = FirstSquare(p);
            if (!(EmptyRays<Kind>(from) & block)) continue;
            for (Bitboard b = block & SliderAttacks<Kind>(from); b; b &= b - 1)
                list = Emit(list, from, FirstSquare(b), KIND_QUIET, BlockScore(ValueOfKind(Kind)));
        }
    }
    return list;
}

template <Colour Side>
ScoredMove* GenerateEvasionsOf(ScoredMove* list, const CheckInfo* info) {
    using G = PawnGeometry<Side>;
    constexpr Colour Them = Opponent(Side);
    const Square k = ToSquare(pos.kingSq[Side]);
    const Bitboard checkers = info->checkers;
    if (!HasKing(k) || !checkers) return list;  // only a side with a king can be in check
    Bitboard block = 0;

    if (!(checkers & (checkers - 1))) {
        const Square q = FirstSquare(checkers);
        const int checker = pos.board[q];
        const int value = pieceValue[checker];
        if (checker >= W_BISHOP && !(kingAttacks[k] & squareBit[q]))
            block = info->rookRays ? RookAttacks(q) & info->rookRays : BishopAttacks(q) & info->diagonalRays;

        constexpr int pawn = CodeOf(PAWN, Side);
        // Pawns that could capture on a square stand where an enemy pawn there would attack.
        const Bitboard* capturers = Side == WHITE ? blackPawnAttacks : whitePawnAttacks;
        // Squares of such pawns: first the one on the a-file side, then the h-file side.
        constexpr int firstDelta = Side == WHITE ? 7 : -9;
        constexpr int secondDelta = Side == WHITE ? 9 : -7;

        const int ep = pos.epSquare;
        if (ep != 0 && q == ep + G::PUSH && checker == CodeOf(PAWN, Them) && RowOf(ep) == G::EP_ROW) {
            if (ColumnOf(ep) != 0 && pos.board[ep + firstDelta] == pawn)
                list = Emit(list, ep + firstDelta, ep, KIND_EN_PASSANT, PlainCaptureScore(ValueOfKind(PAWN), ValueOfKind(PAWN)));
            if (ColumnOf(ep) != 7 && pos.board[ep + secondDelta] == pawn)
                list = Emit(list, ep + secondDelta, ep, KIND_EN_PASSANT, PlainCaptureScore(ValueOfKind(PAWN), ValueOfKind(PAWN)));
        }

        const Bitboard pawnCapturers = pos.pieceBB[pawn] & capturers[q];
        if (pawnCapturers) {
            const bool promotes = squareBit[q] & G::PROMOTION_RANK;
            const int sources[2] = {q + firstDelta, q + secondDelta};
            for (const int from : sources) {
                if (from < 0 || from > 63 || !(pawnCapturers & squareBit[from])) continue;
                if (promotes) list = EmitPromotions(list, from, q, true, value);
                else list = Emit(list, from, q, KIND_CAPTURE, PlainCaptureScore(value, ValueOfKind(PAWN)));
            }
        }

        for (Bitboard b = pos.pieceBB[CodeOf(KNIGHT, Side)] & knightAttacks[q]; b; b &= b - 1)
            list = Emit(list, FirstSquare(b), q, KIND_CAPTURE, PlainCaptureScore(value, ValueOfKind(KNIGHT)));
        if (block) {
            for (Bitboard p = pos.pieceBB[CodeOf(KNIGHT, Side)]; p; p &= p - 1) {
                const Square from = FirstSquare(p);
                for (Bitboard b = block & knightAttacks[from]; b; b &= b - 1)
                    list = Emit(list, from, FirstSquare(b), KIND_QUIET, BlockScore(ValueOfKind(KNIGHT)));
            }
        }
        list = SliderEvasions<Side, BISHOP>(list, q, block);
        list = SliderEvasions<Side, ROOK>(list, q, block);
        list = SliderEvasions<Side, QUEEN>(list, q, block);

        if (block) {
            const Bitboard steps = G::Push(pos.pieceBB[pawn]) & ~pos.occupied;
            for (Bitboard b = G::Push(steps & G::DOUBLE_STEP_RANK) & block; b; b &= b - 1) {
                const Square to = FirstSquare(b);
                list = Emit(list, to + 2 * G::PUSH, to, KIND_QUIET, ORDER_QUIET);
            }
            for (Bitboard b = steps & G::PROMOTION_RANK & block; b; b &= b - 1) {
                const Square to = FirstSquare(b);
                list = EmitPromotions(list, to + G::PUSH, to, false, 0);
            }
            for (Bitboard b = steps & ~G::PROMOTION_RANK & block; b; b &= b - 1) {
                const Square to = FirstSquare(b);
                list = Emit(list, to + G::PUSH, to, KIND_QUIET, ORDER_QUIET);
            }
        }
    }

    const Bitboard targets = kingAttacks[k] & ~KingZone(Them) & ~pos.colourBB[Side] & ~block;
    const Bitboard enemy = CapturableBy(Side);
    Bitboard captures = targets & enemy;
    if (captures) {
        const Bitboard rs = RookSliders(), ds = DiagonalSliders();
        for (; captures; captures &= captures - 1) {
            const Square to = FirstSquare(captures);
            list = Emit(list, k, to, KIND_CAPTURE, CaptureScore<ValueOfKind(KING)>(CodeOf(KING, Side), k, to, rs, ds));
        }
    }
    for (Bitboard b = targets & ~pos.occupied; b; b &= b - 1) list = Emit(list, k, FirstSquare(b), KIND_QUIET, ORDER_QUIET);
    return list;
}

}  // namespace

const EvasionFn GenerateEvasions[2] = {GenerateEvasionsOf<BLACK>, GenerateEvasionsOf<WHITE>};

ScoredMove* GenerateNodeMoves(ScoredMove* list, const CheckInfo* info) {
    const Colour side = pos.sideToMove;
    return info->checkers ? GenerateEvasions[side](list, info) : GenerateMoves[side](list);
}
