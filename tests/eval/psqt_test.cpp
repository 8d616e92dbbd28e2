#include <gtest/gtest.h>

#include "eval/psqt.h"

namespace {

using PieceSquare = ::testing::Test;

// Squares whose value differs between every table of a kind, so a wrong
// selection shows as a wrong number.
int King(int m) { return PstValue(W_KING, SQ_A8, m); }     // 4, 0, -8, -26
int Pawn(int m) { return PstValue(W_PAWN, SQ_A7, m); }     // 18, 29, 52, 72
int Knight(int m) { return PstValue(W_KNIGHT, SQ_A8, m); } // -20, -19
int Bishop(int m) { return PstValue(W_BISHOP, SQ_H8, m); } // -27, -15
int Rook(int m) { return PstValue(W_ROOK, SQ_A1, m); }     // -10, -8
int Queen(int m) { return PstValue(W_QUEEN, SQ_B8, m); }   // 0, 2

TEST_F(PieceSquare, SelectionChangesExactlyAtEachBoundary) {
    EXPECT_EQ(King(0), -26);
    EXPECT_EQ(King(14), -26);
    EXPECT_EQ(King(15), -8);
    EXPECT_EQ(King(46), -8);
    EXPECT_EQ(King(47), 0);
    EXPECT_EQ(King(62), 0);
    EXPECT_EQ(King(63), 0);
    EXPECT_EQ(King(70), 0);
    EXPECT_EQ(King(71), 4);
    EXPECT_EQ(King(191), 4);
    EXPECT_EQ(King(255), 4);  // more material than the tables cover

    EXPECT_EQ(Pawn(0), 72);
    EXPECT_EQ(Pawn(14), 72);
    EXPECT_EQ(Pawn(15), 52);
    EXPECT_EQ(Pawn(46), 52);
    EXPECT_EQ(Pawn(47), 52);
    EXPECT_EQ(Pawn(62), 52);
    EXPECT_EQ(Pawn(63), 29);
    EXPECT_EQ(Pawn(70), 29);
    EXPECT_EQ(Pawn(71), 18);
    EXPECT_EQ(Pawn(191), 18);

    for (int m : {0, 14, 15, 46, 47, 62, 63, 70}) {
        EXPECT_EQ(Knight(m), -19) << m;
        EXPECT_EQ(Bishop(m), -15) << m;
        EXPECT_EQ(Rook(m), -8) << m;
        EXPECT_EQ(Queen(m), 2) << m;
    }
    for (int m : {71, 78, 191}) {
        EXPECT_EQ(Knight(m), -20) << m;
        EXPECT_EQ(Bishop(m), -27) << m;
        EXPECT_EQ(Rook(m), -10) << m;
        EXPECT_EQ(Queen(m), 0) << m;
    }
}

TEST_F(PieceSquare, BlackPiecesReadTheSquareTurnedAndKingsTheirOwn) {
    EXPECT_EQ(PstValue(W_KNIGHT, SQ_E4, 78), 17);
    EXPECT_EQ(PstValue(B_KNIGHT, SQ_E5, 78), 17);
    EXPECT_EQ(PstValue(W_KING, SQ_G1, 78), 12);
    EXPECT_EQ(PstValue(B_KING, SQ_G8, 78), 12);
    // King 71+ differs between c8 (-4) and c1 (-2): no turning for kings.
    EXPECT_EQ(PstValue(B_KING, SQ_C8, 78), -4);
    EXPECT_EQ(PstValue(W_KING, SQ_C1, 78), -2);
    // The asymmetric bishop table tells a half turn from a rank mirror:
    // a black bishop on a8 reads h1 (0), not a1 (-12).
    EXPECT_EQ(PstValue(B_BISHOP, SQ_A8, 78), 0);
    EXPECT_EQ(PstValue(B_BISHOP, SQ_H8, 78), -12);
    // A black pawn on e7 reads e2's entry, pawn on d2 reads e7's.
    EXPECT_EQ(PstValue(B_PAWN, SQ_E7, 78), -9);
    EXPECT_EQ(PstValue(B_PAWN, SQ_D2, 78), 40);
}

}  // namespace
