// Inner nodes: quiescence, the move picker, and the limits that keep a deep
// line inside the ply records, the move stack and the position history.
#include <cstring>
#include <set>
#include <vector>

#include "board/position.h"
#include "eval/evaluate.h"
#include "search/hashtable.h"
#include "search_fixture.h"

namespace {

using NodeTest = SearchTest;

// Runs a node function at ply with currentPly on that ply's record, the
// parent's list ending at listStart.
template <typename F>
int AtPly(int ply, ScoredMove* listStart, F node) {
    plyRecords[ply - 1].listEnd = listStart;
    plyRecords[ply].listEnd = nullptr;
    currentPly = plyRecords + ply;
    const int score = node();
    EXPECT_EQ(currentPly, plyRecords + ply);
    currentPly = plyRecords;
    return score;
}

TEST_F(NodeTest, QuietPositionStandsPatWithoutStoring) {
    Setup("4k3/8/8/8/8/8/4P3/4K3 w - -");
    const uint64_t key = pos.hashKey;
    const int score = AtPly(1, moveStack, [] { return Quiescence(0, 1, -8190, 8190); });
    EXPECT_EQ(score, Evaluate());
    EXPECT_EQ(pos.hashKey, key);
    EXPECT_EQ(ProbeHash(), nullptr);
}

TEST_F(NodeTest, QuiescenceScoresAMateAtItsPlyAndStoresIt) {
    Setup("6k1/5ppp/8/8/8/8/8/3R2K1 w - -");
    // After Rd8 the side to move has no evasion.
    MakeMove(BuildMove(SQ_D1, SQ_D8, KIND_QUIET), currentPly);
    const int score = AtPly(7, moveStack + 40, [] { return Quiescence(-2, 7, -8190, 8190); });
    EXPECT_EQ(score, -8093);
    const HashEntry* entry = ProbeHash();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(EntryMove(entry), MOVE_MATE);
    EXPECT_EQ(EntryDepth(entry), 0);
    EXPECT_EQ(EntryBound(entry), BOUND_EXACT);
    EXPECT_EQ(EntryScore(entry), -8093);
}

TEST_F(NodeTest, AlphaBetaScoresMateAndStalemateByPly) {
    Setup("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -");
    EXPECT_EQ(AtPly(4, moveStack, [] { return AlphaBeta(3, 4, -8190, 8190, 1); }), 4 - 8100);
    EXPECT_EQ(EntryMove(ProbeHash()), MOVE_MATE);
    Setup("7k/5Q2/6K1/8/8/8/8/8 b - -");
    EXPECT_EQ(AtPly(4, moveStack, [] { return AlphaBeta(3, 4, -8190, 8190, 1); }), 0);
    EXPECT_EQ(EntryMove(ProbeHash()), MOVE_STALEMATE);
}

TEST_F(NodeTest, NodesWithoutRoomReturnTheStaticValue) {
    Setup("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -");
    const int value = Evaluate();
    nodeCount = 0;
    // Last ply record: no record left for a child.
    EXPECT_EQ(AtPly(PLY_RECORDS - 1, moveStack, [] { return AlphaBeta(6, PLY_RECORDS - 1, -8190, 8190, 1); }),
              value);
    // Move stack nearly used up by the lists above this node.
    ScoredMove* const nearEnd = moveStack + MOVE_STACK_SIZE - 100;
    EXPECT_EQ(AtPly(60, nearEnd, [] { return AlphaBeta(6, 60, -8190, 8190, 1); }), value);
    EXPECT_EQ(AtPly(60, nearEnd, [] { return Quiescence(0, 60, -8190, 8190); }), value);
    // Position history nearly full.
    HistoryEntry* const top = historyTop;
    historyTop = positionHistory + HISTORY_SIZE - 2;
    *historyTop = *top;
    EXPECT_EQ(AtPly(3, moveStack, [] { return AlphaBeta(6, 3, -8190, 8190, 1); }), value);
    historyTop = top;
    EXPECT_EQ(nodeCount, 0u);
}

TEST_F(NodeTest, PickerVisitsEveryMoveOfALongQuietList) {
    // More quiet moves than the record has ordering keys: every entry is
    // still searched once, and the next record is left untouched.
    Setup(START_FEN);
    PlyRecord* const record = plyRecords + 5;
    std::memset(plyRecords + 6, 0x5A, sizeof(PlyRecord));
    std::vector<unsigned char> next(sizeof(PlyRecord));
    std::memcpy(next.data(), plyRecords + 6, sizeof(PlyRecord));
    const int count = 200;
    for (int i = 0; i < count; ++i) {
        moveStack[1000 + i] = {static_cast<int16_t>(i < 10 ? -9000 - i : -30000), BuildMove(i % 64, (i / 64) + 1, KIND_QUIET)};
        historyTable[1][moveStack[1000 + i].move & 0xFFF] = static_cast<uint32_t>(i);
    }
    record->listEnd = moveStack + 1000 + count;
    MovePicker picker;
    StartPicker(picker, record, moveStack + 1000, WHITE);
    std::multiset<int> seen;
    std::vector<int16_t> order;
    while (ScoredMove* entry = NextMove(picker)) {
        seen.insert(entry->move);
        order.push_back(entry->score);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(count));
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()).size(), static_cast<size_t>(count));
    EXPECT_EQ(order[0], -9000);  // the capture band first, best first
    EXPECT_EQ(order[9], -9009);
    EXPECT_EQ(std::memcmp(next.data(), plyRecords + 6, sizeof(PlyRecord)), 0);
    std::memset(plyRecords + 6, 0, sizeof(PlyRecord));
    std::memset(historyTable, 0, sizeof historyTable);
}

TEST_F(NodeTest, SearchesPositionsWithManyQueens) {
    Setup("k7/pp6/8/8/8/8/8/KQQQQQQQ w - -");
    const Move move = SearchQuietly(4);
    EXPECT_FALSE(IsSpecialMove(move));
    EXPECT_GE(moveStack[0].score, 8000);
}

TEST_F(NodeTest, SearchesPositionsWithoutAKing) {
    Setup("8/8/3k4/8/8/8/4P3/8 w - -");
    const Move move = SearchQuietly(6);
    EXPECT_NE(move, MOVE_NONE);
    Setup("8/4p3/8/8/8/8/8/4K3 b - -");
    EXPECT_NE(SearchQuietly(6), MOVE_NONE);
}

}  // namespace

namespace {

TEST_F(NodeTest, OverwhelmingMaterialStaysBelowTheMateScores) {
    // Black has seven legal moves; however lost, none of them may read as
    // illegal or the root would call it stalemate.
    Setup("6bk/6pp/8/8/8/QQQQQQQQ/RRBB4/K1NN4 b - -");
    EXPECT_GE(Evaluate(), -EVALUATION_LIMIT);
    const Move move = SearchQuietly(3);
    EXPECT_FALSE(IsSpecialMove(move)) << Text(move);
    EXPECT_GT(moveStack[0].score, -MATE_SCORE);
    Setup("6bk/6pp/8/8/8/QQQQQQQQ/RRBB4/K1NN4 w - -");
    EXPECT_LE(Evaluate(), EVALUATION_LIMIT);
}

}  // namespace
