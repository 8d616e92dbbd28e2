#include <gtest/gtest.h>

#include "board/keys.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"

namespace {

class Keys : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTables(); }
    void SetUp() override { ASSERT_TRUE(SetBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false)); }
};

// A quiet piece move played by hand on the board, the key and the history,
// so the draw tests can be checked without the move maker.
void PlayQuiet(int from, int to) {
    const int piece = pos.board[from];
    pos.board[to] = pos.board[from];
    pos.board[from] = EMPTY;
    historyTop->move = BuildMove(from, to, KIND_QUIET);
    pos.hashKey ^= keyTable[piece][from] ^ keyTable[piece][to];
    const uint16_t plies = static_cast<uint16_t>(historyTop->reversiblePlies + 1);
    *++historyTop = HistoryEntry{pos.hashKey, MOVE_NONE, plies};
    pos.sideToMove = Opponent(pos.sideToMove);
}

void KnightCycle() {
    PlayQuiet(SQ_G1, SQ_F3);
    PlayQuiet(SQ_G8, SQ_F6);
    PlayQuiet(SQ_F3, SQ_G1);
    PlayQuiet(SQ_F6, SQ_G8);
}

}  // namespace

TEST_F(Keys, RepetitionNeedsTheRequestedNumberOfEarlierOccurrences) {
    EXPECT_EQ(DrawTest(1), MOVE_NONE);  // fresh set-up: count 0
    KnightCycle();
    EXPECT_EQ(historyTop->key, positionHistory[0].key);
    EXPECT_EQ(DrawTest(1), MOVE_REPETITION);
    EXPECT_EQ(DrawTest(2), MOVE_NONE);
    PlayQuiet(SQ_G1, SQ_F3);
    PlayQuiet(SQ_G8, SQ_F6);
    PlayQuiet(SQ_F3, SQ_G1);
    EXPECT_EQ(DrawTest(2), MOVE_NONE);
    PlayQuiet(SQ_F6, SQ_G8);
    EXPECT_EQ(DrawTest(2), MOVE_REPETITION);
}

TEST_F(Keys, RepetitionWalkStopsAtTheLastIrreversibleMove) {
    KnightCycle();
    // Same keys, but an irreversible move lies between: the count says so.
    for (HistoryEntry* e = positionHistory; e <= historyTop; ++e)
        e->reversiblePlies = static_cast<uint16_t>(e - positionHistory > 1 ? e - positionHistory - 1 : 0);
    EXPECT_EQ(DrawTest(1), MOVE_NONE);
}

TEST_F(Keys, FiftyMovesAndMaterial) {
    historyTop->reversiblePlies = 100;
    EXPECT_EQ(DrawTest(2), MOVE_FIFTY);
    historyTop->reversiblePlies = 99;
    EXPECT_EQ(DrawTest(2), MOVE_NONE);

    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/8/2B1K3 w - -", false));
    EXPECT_EQ(DrawTest(2), MOVE_NO_MATERIAL);
    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/8/1NN1K3 w - -", false));
    EXPECT_EQ(pos.totalMaterial, 6);
    EXPECT_EQ(DrawTest(2), MOVE_NONE);
    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/P7/4K3 w - -", false));
    EXPECT_EQ(DrawTest(2), MOVE_NONE);
}

TEST_F(Keys, RepetitionAfterMove) {
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_E2, SQ_E4, KIND_QUIET)), 0);  // pawn
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_G1, SQ_F3, KIND_CAPTURE)), 0);
    EXPECT_EQ(RepetitionAfterMove(MOVE_CASTLE_WHITE_SHORT), 0);
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_E7, SQ_E8, KIND_PROMO_QUEEN)), 0);
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_E4, SQ_E5, KIND_QUIET)), 0);  // empty square

    PlayQuiet(SQ_G1, SQ_F3);
    PlayQuiet(SQ_G8, SQ_F6);
    PlayQuiet(SQ_F3, SQ_G1);
    const Move back = BuildMove(SQ_F6, SQ_G8, KIND_QUIET);
    const HistoryEntry* top = historyTop;
    EXPECT_EQ(RepetitionAfterMove(back), 1);
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_F6, SQ_H5, KIND_QUIET)), 0);
    EXPECT_EQ(historyTop, top);

    historyTop->reversiblePlies = 75;  // 76 after the move
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_F6, SQ_H5, KIND_QUIET)), 1);
    historyTop->reversiblePlies = 99;
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_F6, SQ_H5, KIND_QUIET)), 2);
}

TEST_F(Keys, RepetitionAfterMoveAtTheLastHistoryEntryStaysInside) {
    historyTop = positionHistory + HISTORY_SIZE - 1;
    *historyTop = HistoryEntry{pos.hashKey, MOVE_NONE, 2};
    historyTop[-1] = HistoryEntry{1, MOVE_NONE, 1};
    historyTop[-2] = HistoryEntry{2, MOVE_NONE, 0};
    EXPECT_EQ(RepetitionAfterMove(BuildMove(SQ_G1, SQ_F3, KIND_QUIET)), 0);
    historyTop = positionHistory;
}

TEST_F(Keys, LongGamesTrimTheHistoryAndKeepTheDrawTests) {
    // A long shuffle with an irreversible move every 60 plies, then a knight cycle.
    uint64_t key = 1000;
    for (int ply = 1; ply < HISTORY_SIZE - HISTORY_HEADROOM; ++ply) {
        const uint16_t plies = static_cast<uint16_t>(ply % 60 == 0 ? 0 : historyTop->reversiblePlies + 1);
        *++historyTop = HistoryEntry{++key, MOVE_NONE, plies};
    }
    pos.hashKey = historyTop->key;
    PlayQuiet(SQ_G1, SQ_F3);
    PlayQuiet(SQ_G8, SQ_F6);
    PlayQuiet(SQ_F3, SQ_G1);
    PlayQuiet(SQ_F6, SQ_G8);
    ASSERT_EQ(DrawTest(1), MOVE_REPETITION);
    const HistoryEntry before = *historyTop;
    const int run = historyTop->reversiblePlies;

    TrimHistoryForGameMove();
    EXPECT_EQ(historyTop - positionHistory, run);
    EXPECT_EQ(historyTop->key, before.key);
    EXPECT_EQ(historyTop->reversiblePlies, before.reversiblePlies);
    EXPECT_EQ(positionHistory[0].reversiblePlies, 0);
    EXPECT_EQ(DrawTest(1), MOVE_REPETITION);
    EXPECT_EQ(DrawTest(2), MOVE_NONE);

    // Far from the end nothing moves.
    const HistoryEntry* top = historyTop;
    TrimHistoryForGameMove();
    EXPECT_EQ(historyTop, top);
}

TEST_F(Keys, TrimKeepsAtMostAFewHundredPliesOfAVeryLongReversibleRun) {
    for (int ply = 1; ply < HISTORY_SIZE - 10; ++ply)
        *++historyTop = HistoryEntry{static_cast<uint64_t>(ply), MOVE_NONE, static_cast<uint16_t>(ply)};
    TrimHistoryForGameMove();
    EXPECT_LT(historyTop - positionHistory, HISTORY_SIZE - HISTORY_HEADROOM);
    EXPECT_GT(historyTop->reversiblePlies, 99);
    EXPECT_EQ(DrawTest(2), MOVE_FIFTY);
    for (const HistoryEntry* e = positionHistory; e <= historyTop; ++e)
        EXPECT_LE(e->reversiblePlies, e - positionHistory);
}
