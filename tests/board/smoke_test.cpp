#include <gtest/gtest.h>

#include "board/types.h"

TEST(MoveWord, CastlingWordsMatchTheirParts) {
    EXPECT_EQ(MOVE_CASTLE_WHITE_SHORT, BuildMove(SQ_E1, SQ_G1, KIND_CASTLE_WHITE_SHORT));
    EXPECT_EQ(MOVE_CASTLE_BLACK_LONG, BuildMove(SQ_E8, SQ_C8, KIND_CASTLE_BLACK_LONG));
    EXPECT_EQ(MOVE_NO_MATERIAL, 0x3000 + 0x41 * 7);
}
