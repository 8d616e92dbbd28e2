#include <gtest/gtest.h>

#include "../movegen/position_support.h"

using namespace movetest;

TEST(MoveText, WritesCoordinateText) {
    char buffer[8];
    EXPECT_EQ(MoveToText(buffer, BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_KNIGHT)), buffer + 5);
    EXPECT_STREQ(buffer, "e7e8n");
    EXPECT_EQ(Text(MOVE_CASTLE_WHITE_SHORT) + Text(MOVE_CASTLE_BLACK_LONG), "e1g1e8c8");
    EXPECT_EQ(Text(BuildMove(SQ_G1, SQ_F3, KIND_QUIET)), "g1f3");
    EXPECT_EQ(Text(BuildMove(SQ_B2, SQ_A1, KIND_CAPTURE_PROMO_BISHOP)), "b2a1b");
}

TEST(MoveText, ReadsMovesAgainstTheGameSnapshot) {
    SetFen("r3k2r/4P3/8/3pP3/8/8/8/R3K1NR w Qkq d6");
    pos.board[SQ_E8] = EMPTY;  // the search board may hold anything meanwhile
    EXPECT_EQ(TextToMove("e1c1"), MOVE_CASTLE_WHITE_LONG);
    EXPECT_EQ(TextToMove("e8g8"), MOVE_CASTLE_BLACK_SHORT);
    EXPECT_EQ(TextToMove("e1g1"), BuildMove(SQ_E1, SQ_G1, KIND_CAPTURE));  // no right: a king move
    EXPECT_EQ(TextToMove("e5d6"), BuildMove(SQ_E5, SQ_D6, KIND_EN_PASSANT));
    EXPECT_EQ(TextToMove("e7e8q"), BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_QUEEN));
    EXPECT_EQ(TextToMove("e7f8n"), BuildMove(SQ_E7, SQ_F8, KIND_PROMO_KNIGHT));
    EXPECT_EQ(TextToMove("e7f8R"), BuildMove(SQ_E7, SQ_F8, KIND_PROMO_ROOK));  // either case
    EXPECT_EQ(TextToMove("e7e8B"), BuildMove(SQ_E7, SQ_E8, KIND_CAPTURE_PROMO_BISHOP));
    EXPECT_EQ(TextToMove("a1b1q"), BuildMove(SQ_A1, SQ_B1, KIND_QUIET));  // letter ignored for a rook
    for (const char* bad : {"i2i4", "e9e4", "O-O", "e2", "", "E2E4", "0000"}) EXPECT_EQ(TextToMove(bad), MOVE_NONE) << bad;
}

TEST(MoveText, PrintsTheBoardRankEightFirst) {
    SetFen(START_FEN);
    testing::internal::CaptureStdout();
    PrintBoard(pos.board);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n8 r n b q k b n r \n7 p p p p p p p p \n6 . . . . . . . . \n5 . . . . . . . . "
              "\n4 . . . . . . . . \n3 . . . . . . . . \n2 P P P P P P P P \n1 R N B Q K B N R "
              "\n\n  A B C D E F G H\n");
}
