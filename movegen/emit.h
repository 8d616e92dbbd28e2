// Pieces shared by the three generators: the colour-dependent geometry of
// pawns, the writing of entries and the capture rule. Internal to movegen.
#pragma once

#include "board/position.h"
#include "board/tables.h"
#include "movegen/movelist.h"

namespace movegen {

constexpr Bitboard FILE_A = 0x8080808080808080ULL;
constexpr Bitboard FILE_H = 0x0101010101010101ULL;
constexpr Bitboard RANK_8 = 0xFF00000000000000ULL;
constexpr Bitboard RANK_6 = 0x0000FF0000000000ULL;
constexpr Bitboard RANK_3 = 0x0000000000FF0000ULL;
constexpr Bitboard RANK_1 = 0x00000000000000FFULL;

// Pawn geometry of one colour. Deltas are from-square minus to-square.
template <Colour Side> struct PawnGeometry;

template <> struct PawnGeometry<WHITE> {
    static constexpr int PUSH = 8;
    static constexpr int TOWARD_A = 9;  // capture toward the a-file
    static constexpr int TOWARD_H = 7;
    static constexpr Bitboard PROMOTION_RANK = RANK_8;
    static constexpr Bitboard DOUBLE_STEP_RANK = RANK_3;  // first step of a double step lands here
    static constexpr int EP_ROW = 2;                      // row of en-passant squares it may capture on
    static Bitboard Push(Bitboard b) { return b << 8; }
    static Bitboard CaptureTowardA(Bitboard b) { return (b & ~FILE_A) << 9; }
    static Bitboard CaptureTowardH(Bitboard b) { return (b & ~FILE_H) << 7; }
};

template <> struct PawnGeometry<BLACK> {
    static constexpr int PUSH = -8;
    static constexpr int TOWARD_A = -7;
    static constexpr int TOWARD_H = -9;
    static constexpr Bitboard PROMOTION_RANK = RANK_1;
    static constexpr Bitboard DOUBLE_STEP_RANK = RANK_6;
    static constexpr int EP_ROW = 5;
    static Bitboard Push(Bitboard b) { return b >> 8; }
    static Bitboard CaptureTowardA(Bitboard b) { return (b & ~FILE_A) >> 7; }
    static Bitboard CaptureTowardH(Bitboard b) { return (b & ~FILE_H) >> 9; }
};

inline ScoredMove* Emit(ScoredMove* list, int from, int to, int kind, int score) {
    list->score = static_cast<int16_t>(score);
    list->move = BuildMove(from, to, kind);
    return list + 1;
}

// The four promotion entries; base is the victim's value for a capture, 0
// for a push.
inline ScoredMove* EmitPromotions(ScoredMove* list, int from, int to, bool capture, int base) {
    const int kind = capture ? KIND_CAPTURE_PROMO_QUEEN : KIND_PROMO_QUEEN;
    for (int i = 0; i < 4; ++i) list = Emit(list, from, to, kind + i, base + ORDER_PROMOTION[i]);
    return list;
}

// Score of a capture that needs no exchange evaluation.
constexpr int PlainCaptureScore(int victimValue, int moverValue) {
    return victimValue - moverValue + ORDER_GOOD_CAPTURE;
}
// Score of a quiet move that blocks a check.
constexpr int BlockScore(int moverValue) { return ORDER_QUIET - moverValue; }

// Square bit of a side's king, empty when the side has none.
inline Bitboard KingBit(Colour side) {
    const int k = pos.kingSq[side];
    return HasKing(k) ? squareBit[k] : 0;
}
// Squares next to a side's king, empty when the side has none.
inline Bitboard KingZone(Colour side) {
    const int k = pos.kingSq[side];
    return HasKing(k) ? kingAttacks[k] : 0;
}

// The pieces side may capture: the enemy's, never its king, which only a
// broken set-up could offer.
inline Bitboard CapturableBy(Colour side) { return pos.colourBB[Opponent(side)] & ~KingBit(Opponent(side)); }

inline Bitboard RookSliders() {
    return pos.pieceBB[W_ROOK] | pos.pieceBB[B_ROOK] | pos.pieceBB[W_QUEEN] | pos.pieceBB[B_QUEEN];
}
inline Bitboard DiagonalSliders() {
    return pos.pieceBB[W_BISHOP] | pos.pieceBB[B_BISHOP] | pos.pieceBB[W_QUEEN] | pos.pieceBB[B_QUEEN];
}

// Capture rule of a knight, bishop, rook, queen or king worth Worth: the
// exchange is evaluated only when the victim is clearly cheaper.
template <int Worth>
inline int CaptureScore(PieceCode piece, Square from, Square to, Bitboard rookSliders, Bitboard diagonalSliders) {
    const int victim = pieceValue[pos.board[to]];
    if (victim < Worth - EXCHANGE_MARGIN) return StaticExchange(piece, from, to, rookSliders, diagonalSliders);
    return PlainCaptureScore(victim, Worth);
}

}  // namespace movegen
