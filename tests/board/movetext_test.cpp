#include <gtest/gtest.h>

#include "../movegen/position_support.h"

using namespace movetest;

TEST(MoveText, WritesCoordinateText) {
    char buffer[8];
    char* end = MoveToText(buffer, MOVE_CASTLE_WHITE_SHORT);
    EXPECT_STREQ(buffer, "e1g1");
    EXPECT_EQ(end, buffer + 4);
    EXPECT_EQ(Text(MOVE_CASTLE_BLACK_SHORT), "e8g8");
    EXPECT_EQ(Text(MOVE_CASTLE_WHITE_LONG), "e1c1");
    EXPECT_EQ(Text(MOVE_CASTLE_BLACK_LONG), "e8c8");
    end = MoveToText(buffer, BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_KNIGHT));
    EXPECT_STREQ(buffer, "e7e8n");
    EXPECT_EQ(end, buffer + 5);
    EXPECT_EQ(Text(BuildMove(SQ_G1, SQ_F3, KIND_QUIET)), "g1f3");
    EXPECT_EQ(Text(BuildMove(SQ_B2, SQ_B1, KIND_PROMO_QUEEN)), "b2b1q");
    EXPECT_EQ(Text(BuildMove(SQ_B2, SQ_A1, KIND_CAPTURE_PROMO_BISHOP)), "b2a1b");
    EXPECT_EQ(Text(BuildMove(SQ_B7, SQ_B8, KIND_PROMO_ROOK)), "b7b8r");
}

TEST(MoveText, ReadsMovesAgainstTheGameSnapshot) {
    SetFen("r3k2r/4P3/8/3pP3/8/8/8/R3K2R w KQkq d6");
    EXPECT_EQ(TextToMove("e1g1"), MOVE_CASTLE_WHITE_SHORT);
    EXPECT_EQ(TextToMove("e1c1"), MOVE_CASTLE_WHITE_LONG);
    EXPECT_EQ(TextToMove("e8g8"), MOVE_CASTLE_BLACK_SHORT);
    EXPECT_EQ(TextToMove("e8c8"), MOVE_CASTLE_BLACK_LONG);
    EXPECT_EQ(TextToMove("e5d6"), BuildMove(SQ_E5, SQ_D6, KIND_EN_PASSANT));
    EXPECT_EQ(TextToMove("e7e8q"), BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_QUEEN));  // the king stands there
    EXPECT_EQ(TextToMove("e7f8n"), BuildMove(SQ_E7, SQ_F8, KIND_PROMO_KNIGHT));
    EXPECT_EQ(TextToMove("a1a8"), BuildMove(SQ_A1, SQ_A8, KIND_CAPTURE));
    EXPECT_EQ(TextToMove("a1b1"), BuildMove(SQ_A1, SQ_B1, KIND_QUIET));
    // A fifth character means nothing for a piece other than a pawn.
    EXPECT_EQ(TextToMove("a1b1q"), BuildMove(SQ_A1, SQ_B1, KIND_QUIET));

    // Front ends differ in the case of the promotion letter.
    EXPECT_EQ(TextToMove("e7f8Q"), BuildMove(SQ_E7, SQ_F8, KIND_PROMO_QUEEN));
    EXPECT_EQ(TextToMove("e7f8N"), BuildMove(SQ_E7, SQ_F8, KIND_PROMO_KNIGHT));
    EXPECT_EQ(TextToMove("e7e8R"), BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_ROOK));
    EXPECT_EQ(TextToMove("e7e8B"), BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_BISHOP));

    for (const char* bad : {"i2i4", "e9e4", "O-O", "e2", "", "E2E4", "e2-e4", "0000"}) EXPECT_EQ(TextToMove(bad), MOVE_NONE) << bad;
}

TEST(MoveText, CastlingNeedsTheRightInTheGameSnapshot) {
    SetFen("r3k2r/8/8/8/8/8/8/R3K1NR w Qkq -");
    EXPECT_EQ(TextToMove("e1g1"), BuildMove(SQ_E1, SQ_G1, KIND_CAPTURE));
    EXPECT_EQ(TextToMove("e1c1"), MOVE_CASTLE_WHITE_LONG);
    SetFen("r3k2r/8/8/8/8/8/8/R3K2R w - -");
    EXPECT_EQ(TextToMove("e1g1"), BuildMove(SQ_E1, SQ_G1, KIND_QUIET));
    EXPECT_EQ(TextToMove("e8c8"), BuildMove(SQ_E8, SQ_C8, KIND_QUIET));
}

TEST(MoveText, ReadsTheGameSnapshotNotTheSearchBoard) {
    SetFen("4k3/8/8/8/8/8/8/4K2R w K -");
    // The search board may hold anything while the engine thinks.
    pos.board[SQ_E8] = EMPTY;
    pos.board[SQ_B1] = B_QUEEN;
    EXPECT_EQ(TextToMove("e1b1"), BuildMove(SQ_E1, SQ_B1, KIND_QUIET));
    EXPECT_EQ(TextToMove("h1h8"), BuildMove(SQ_H1, SQ_H8, KIND_QUIET));
    gameBoard[SQ_H8] = B_ROOK;
    EXPECT_EQ(TextToMove("h1h8"), BuildMove(SQ_H1, SQ_H8, KIND_CAPTURE));
}

TEST(MoveText, PrintsTheBoardRankEightFirst) {
    SetFen(START_FEN);
    testing::internal::CaptureStdout();
    PrintBoard(pos.board);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n8 r n b q k b n r "
              "\n7 p p p p p p p p "
              "\n6 . . . . . . . . "
              "\n5 . . . . . . . . "
              "\n4 . . . . . . . . "
              "\n3 . . . . . . . . "
              "\n2 P P P P P P P P "
              "\n1 R N B Q K B N R "
              "\n\n  A B C D E F G H\n");
}
