// The principal-variation text read back from the table.
#include <cstring>
#include <vector>

#include "search/hashtable.h"
#include "search/pv.h"
#include "search_fixture.h"

namespace {

using PvTest = SearchTest;

Move M(int from, int to) { return BuildMove(from, to, KIND_QUIET); }

// Stores each move as the table move of the position it is played from; a
// deeper store replaces an earlier one of the same position.
void StoreLine(const std::vector<Move>& line, Move last = MOVE_NONE, int depth = 5) {
    int ply = 0;
    for (Move move : line) {
        StoreHash(depth, BOUND_EXACT, 0, move);
        SaveSnapshot(plyRecords + ply);
        MakeMove(move, plyRecords + ply);
        ++ply;
    }
    if (last != MOVE_NONE) StoreHash(depth, BOUND_EXACT, 0, last);
    while (ply > 0) {
        --ply;
        UnmakeMove(line[ply], plyRecords + ply);
    }
}

std::string Pv(int moves) {
    PrincipalVariation pv;
    BuildPv(pv, moves);
    char text[PV_TEXT_SIZE];
    PvText(text, pv);
    return text;
}

TEST_F(PvTest, MissingRootAndLimits) {
    Setup(START_FEN);
    EXPECT_EQ(Pv(5), "NOE ");
    StoreLine({M(SQ_E2, SQ_E4), M(SQ_E7, SQ_E5)});
    EXPECT_EQ(Pv(0), "");
    EXPECT_EQ(Pv(1), "e2e4 ");
    EXPECT_EQ(Pv(2), "e2e4 e7e5 ");
    EXPECT_EQ(Pv(5), "e2e4 e7e5 NOE ");
}

TEST_F(PvTest, EndsWithResultTexts) {
    Setup("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -");
    StoreLine({M(SQ_D1, SQ_D8)}, MOVE_MATE);
    EXPECT_EQ(Pv(5), "d1d8 # ");
    StoreLine({M(SQ_D1, SQ_D8)}, MOVE_STALEMATE, 6);
    EXPECT_EQ(Pv(5), "d1d8 1/2 - 1/2 (stalemate)");
    StoreLine({M(SQ_D1, SQ_D8)}, MOVE_FIFTY, 7);
    EXPECT_EQ(Pv(5), "d1d8 ERROR");
}

TEST_F(PvTest, StopsAtAMoveThatIsNotLegal) {
    Setup(START_FEN);
    StoreLine({M(SQ_E2, SQ_E4)}, M(SQ_E7, SQ_E4));  // no pawn can go there
    EXPECT_EQ(Pv(5), "e2e4 ");
    Setup("4k3/8/8/8/8/8/3r4/4K3 w - -");
    StoreLine({}, M(SQ_E1, SQ_E2));  // into check
    EXPECT_EQ(Pv(5), "");
}

TEST_F(PvTest, ACycleOfTableMovesRunsToTheLimit) {
    Setup(START_FEN);
    const std::vector<Move> cycle = {M(SQ_G1, SQ_F3), M(SQ_G8, SQ_F6), M(SQ_F3, SQ_G1), M(SQ_F6, SQ_G8)};
    StoreLine({cycle[0], cycle[1], cycle[2]}, cycle[3]);
    EXPECT_EQ(Pv(6), "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 ");
    // The longest line the driver asks for ends inside the ply records.
    const std::string longest = Pv(127);
    EXPECT_EQ(longest.size() % 5, 0u);
    EXPECT_GE(longest.size(), 100u * 5);
    EXPECT_EQ(currentPly, plyRecords);
    EXPECT_EQ(historyTop, positionHistory);
}

TEST_F(PvTest, LeavesPositionRecordsAndRootListAsTheyWere) {
    Setup("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -");
    SearchQuietly(5);
    for (int i = 0; i < 8; ++i) plyRecords[i].killer1 = M(i, i + 8);
    std::vector<PlyRecord> records(plyRecords, plyRecords + 8);
    std::vector<ScoredMove> list(moveStack, moveStack + 64);
    const Position before = pos;
    HistoryEntry* const top = historyTop;
    const std::string line = Pv(5);
    EXPECT_GE(line.size(), 10u) << line;
    EXPECT_EQ(std::memcmp(&before, &pos, sizeof pos), 0);
    EXPECT_EQ(historyTop, top);
    EXPECT_EQ(currentPly, plyRecords);
    EXPECT_EQ(std::memcmp(records.data(), plyRecords, 8 * sizeof(PlyRecord)), 0);
    EXPECT_EQ(std::memcmp(list.data(), moveStack, 64 * sizeof(ScoredMove)), 0);
}

}  // namespace
