#include <gtest/gtest.h>

#include "board/invariants.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"

namespace {

class Invariants : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTables(); }
    void SetUp() override { ASSERT_TRUE(SetBoard("r3k2r/pppq1ppp/2n5/8/3P4/2N2B2/PPP2PPP/R3K2R w KQkq -", false)); }
};

}  // namespace

TEST_F(Invariants, HoldAfterSetUpAndCatchEachKindOfCorruption) {
    ASSERT_EQ(CheckPositionInvariants(), nullptr);
    EXPECT_EQ(pos.pieceMaterial[BLACK], 10 + 9 + 3);
    EXPECT_EQ(pos.pieceMaterial[WHITE], 10 + 3 + 3);
    EXPECT_EQ(pos.pawnCount[BLACK], 6);
    EXPECT_EQ(pos.totalMaterial, 22 + 16 + 6 + 7);
    const Position good = pos;
    void (*corruptions[])() = {
        [] { pos.board[SQ_A3] = W_PAWN; },                       // 1: board without bitboard
        [] { pos.pieceBB[B_QUEEN] |= squareBit[SQ_H4]; },       // 1: bitboard without board
        [] { pos.kingSq[WHITE] = SQ_D1; },                      // 2
        [] { pos.colourBB[BLACK] &= ~squareBit[SQ_E8]; },       // 3: king bit missing
        [] { pos.occupied |= squareBit[SQ_E4]; },               // 3
        [] { ++pos.totalMaterial; },                            // 5
        [] { --pos.pieceMaterial[BLACK]; },                     // 5
        [] { ++pos.pawnCount[WHITE]; },                         // 5
        [] { pos.hashKey ^= 1; },                               // 6
        [] { pos.board[SQ_A4] = static_cast<PieceCode>(13); },  // no such piece
        [] { pos.board[SQ_H3] = W_KING; },                      // a second king
    };
    for (auto corrupt : corruptions) {
        pos = good;
        corrupt();
        EXPECT_NE(CheckPositionInvariants(), nullptr);
    }
    pos = good;
}
