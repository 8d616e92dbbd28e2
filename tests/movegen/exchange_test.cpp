#include <gtest/gtest.h>

#include "eval/psqt.h"
#include "movegen/movelist.h"
#include "position_support.h"

using namespace movetest;

namespace {

int Pst(PieceCode code, const char* square) { return PstValue(code, Sq(square), pos.totalMaterial); }

int Exchange(PieceCode piece, const char* from, const char* to) {
    const Bitboard rookSliders = pos.pieceBB[W_ROOK] | pos.pieceBB[B_ROOK] | pos.pieceBB[W_QUEEN] | pos.pieceBB[B_QUEEN];
    const Bitboard diagonalSliders =
        pos.pieceBB[W_BISHOP] | pos.pieceBB[B_BISHOP] | pos.pieceBB[W_QUEEN] | pos.pieceBB[B_QUEEN];
    return StaticExchange(piece, Sq(from), Sq(to), rookSliders, diagonalSliders);
}

}  // namespace

TEST(StaticExchange, WinningCapturesScoreNearMinus9500) {
    // Defended by the queen only, and White can retake with a pawn: the
    // queen's recapture would lose, so the exchange stops after the first capture.
    SetFen("3qk3/8/8/3p4/4P3/2N5/8/4K3 w - -");
    EXPECT_EQ(Exchange(W_KNIGHT, "c3", "d5"),
              -Pst(W_KNIGHT, "c3") + Pst(W_KNIGHT, "d5") + Pst(B_PAWN, "d5") + 100 - 9500);
    SetFen("4k3/8/8/8/8/8/6p1/K7 b - -");
    EXPECT_EQ(Exchange(B_PAWN, "g2", "g1"), -Pst(B_PAWN, "g2") + Pst(B_QUEEN, "g1") + 800 - 9500);
}

TEST(StaticExchange, LosingCapturesSortBelowQuietMoves) {
    // Pawn defended by a pawn: 310 - 100 = 210 exceeds the pawn by more than 50.
    SetFen("4k3/8/4p3/3p4/8/2N5/8/4K3 w - -");
    EXPECT_EQ(Exchange(W_KNIGHT, "c3", "d5"), 50 - 210 + (-Pst(W_KNIGHT, "c3") + Pst(W_KNIGHT, "d5")) - 30000);
    // Rook takes a knight defended only by a queen: gain[0] = min(310, -190).
    SetFen("3qk3/8/8/3n4/8/8/8/3RK3 w - -");
    EXPECT_EQ(Exchange(W_ROOK, "d1", "d5"), -Pst(W_ROOK, "d1") + Pst(W_ROOK, "d5") - 190 - 30000);
}

TEST(StaticExchange, EvenExchangeScoresJustAboveQuietMoves) {
    SetFen("4k3/8/1n6/3n4/8/2N5/8/4K3 w - -");
    EXPECT_EQ(Exchange(W_KNIGHT, "c3", "d5"), -Pst(W_KNIGHT, "c3") + Pst(W_KNIGHT, "d5") - 29985);
}

TEST(StaticExchange, KingMayNotTakeADefendedPiece) {
    SetFen("4k3/8/8/b7/8/8/3n4/4K3 w - -");
    EXPECT_EQ(Exchange(W_KING, "e1", "d2"), -32767);
    SetFen("4k3/8/8/8/8/8/3n4/4K3 w - -");
    EXPECT_EQ(Exchange(W_KING, "e1", "d2"),
              -Pst(W_KING, "e1") + Pst(W_KING, "d2") + Pst(B_KNIGHT, "d2") + 310 - 9500);
}

TEST(StaticExchange, RearRookJoinsOnlyBehindTheFrontRook) {
    // One rook against the defending rook loses the exchange...
    SetFen("3r3k/8/8/3b4/8/8/3R4/4K3 w - -");
    const int positional = -Pst(W_ROOK, "d2") + Pst(W_ROOK, "d5");
    EXPECT_EQ(Exchange(W_ROOK, "d2", "d5"), positional - 185 - 30000);
    // ...the rook stacked behind it wins the bishop.
    SetFen("3r3k/8/8/3b4/8/8/3R4/3RK3 w - -");
    EXPECT_EQ(Exchange(W_ROOK, "d2", "d5"), positional + Pst(B_BISHOP, "d5") + 315 - 9500);
}

TEST(StaticExchange, SideWithoutKingNeverReadsSquare100) {
    SetFen("8/8/8/3p4/8/2N5/8/8 w - -");
    EXPECT_EQ(pos.kingSq[WHITE], SQ_NONE);
    EXPECT_EQ(Exchange(W_KNIGHT, "c3", "d5"),
              -Pst(W_KNIGHT, "c3") + Pst(W_KNIGHT, "d5") + Pst(B_PAWN, "d5") + 100 - 9500);
}

TEST(StaticExchange, QueenLooksAlongTheDiagonalWhenItsRookLinesAddNobody) {
    // Behind Qd5 on the c4-d5 diagonal stands the bishop e6; the black queen
    // on d4 is seen on the rook lines too, but it attacks c4 already, so it
    // adds nobody and the bishop joins: Qxc4 loses the queen to Bxc4.
    const char* fen = "2k3r1/pp1n1pp1/1bprb3/3Qp2p/2nqP3/P1NPBNP1/1P3P1P/RR3B1K w - -";
    SetFen(fen);
    EXPECT_EQ(Exchange(W_QUEEN, "d5", "c4"), -30483);
    PlyRecord record{};
    SaveSnapshot(&record);
    ScoredMove* const end = GenerateCaptures[pos.sideToMove](moveStack);
    for (const ScoredMove* entry = moveStack; entry < end; ++entry) EXPECT_NE(Text(entry->move), "d5c4");
}
