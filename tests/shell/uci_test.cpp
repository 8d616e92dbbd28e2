#include <gtest/gtest.h>

#include <string>

#include "shell/timecontrol.h"
#include "shell/uci.h"

namespace {

std::string Score(int score) {
    char text[32];
    FormatUciScore(text, sizeof text, score);
    return text;
}

// Centipawns up to the mate range; mates in moves, from the side to move's view.
TEST(UciScore, CentipawnsAndMatesForBothSides) {
    EXPECT_EQ(Score(0), "cp 0");
    EXPECT_EQ(Score(-35), "cp -35");
    EXPECT_EQ(Score(WINNING_MATE_SCORE), "cp 8050");
    EXPECT_EQ(Score(-WINNING_MATE_SCORE), "cp -8050");
    EXPECT_EQ(Score(MATE_IN_ONE), "mate 1");           // mates at ply 1
    EXPECT_EQ(Score(MATE_SCORE - 3), "mate 2");          // ply 3
    EXPECT_EQ(Score(WINNING_MATE_SCORE + 1), "mate 25");  // ply 49
    EXPECT_EQ(Score(MatedAtPly(0)), "mate 0");           // mated on the board
    EXPECT_EQ(Score(MatedAtPly(2)), "mate -1");
    EXPECT_EQ(Score(MatedAtPly(4)), "mate -2");
    EXPECT_EQ(Score(-WINNING_MATE_SCORE - 1), "mate -25");
    // The edges of the scale never reach the front end as nonsense.
    EXPECT_EQ(Score(INFINITE_SCORE), "mate 1");
    EXPECT_EQ(Score(-INFINITE_SCORE), "mate 0");
}

TEST(UciGo, ReadsEveryLimitAndNamesWhatItIgnores) {
    GoCommand go = ParseGo("wtime 60000 btime -250 winc 1000 binc 500 movestogo 12 movetime 2500 depth 9 nodes 100000");
    EXPECT_EQ(go.time[WHITE], 60000);
    EXPECT_EQ(go.time[BLACK], -250);  // a front end may report a fallen flag
    EXPECT_EQ(go.increment[WHITE], 1000);
    EXPECT_EQ(go.increment[BLACK], 500);
    EXPECT_EQ(go.movesToGo, 12);
    EXPECT_EQ(go.moveTime, 2500);
    EXPECT_EQ(go.depth, 9);
    EXPECT_EQ(go.nodes, 100000);
    EXPECT_FALSE(go.infinite || go.ponder);
    EXPECT_STREQ(go.ignored, "");

    go = ParseGo("ponder infinite searchmoves e2e4 d2d4 mate 3 wtime soon depth -1 nodes 99999999999999999999 frobnicate");
    EXPECT_TRUE(go.ponder && go.infinite);
    EXPECT_EQ(go.depth, 0);
    EXPECT_EQ(go.nodes, 1000000000000);  // cut, not wrapped
    EXPECT_EQ(go.moveTime, INT64_MIN);
    EXPECT_EQ(go.mate, 3);
    ASSERT_EQ(go.searchMoveCount, 2);
    EXPECT_STREQ(go.searchMoves[1], "d2d4");
    EXPECT_STREQ(go.ignored, "wtime soon depth frobnicate");
}

// The clocks go through xboard's arithmetic: a clock in centiseconds shared
// out over movestogo (40 when absent), the increment, and the cap.
TEST(UciGo, ClocksGiveTheSameBudgetAsXboard) {
    EXPECT_FALSE(SetGoClocks(ParseGo("depth 5"), WHITE));
    EXPECT_EQ(moveTimeLimit, NO_TIME_LIMIT);

    EXPECT_TRUE(SetGoClocks(ParseGo("wtime 300000 btime 12345"), WHITE));
    EXPECT_EQ(timeBudget, 7470u);  // as "level 40 5 0" with "time 30000"
    EXPECT_EQ(moveTimeLimit, 299000u);

    EXPECT_TRUE(SetGoClocks(ParseGo("wtime 1 btime 120000 binc 12000"), BLACK));
    EXPECT_EQ(timeBudget, 14970u);  // the black clock and increment
    EXPECT_TRUE(SetGoClocks(ParseGo("wtime 3000 movestogo 1"), WHITE));
    EXPECT_EQ(timeBudget, 2000u);
    EXPECT_EQ(moveTimeLimit, 2000u);

    // A fixed time per move, less a margin; with a clock the shorter wins.
    EXPECT_TRUE(SetGoClocks(ParseGo("movetime 1000"), WHITE));
    EXPECT_EQ(timeBudget, 950u);
    EXPECT_EQ(moveTimeLimit, 950u);
    EXPECT_TRUE(SetGoClocks(ParseGo("movetime 40"), WHITE));
    EXPECT_EQ(timeBudget, 20u);
    EXPECT_TRUE(SetGoClocks(ParseGo("wtime 300000 movetime 60000"), WHITE));
    EXPECT_EQ(timeBudget, 7470u);
    EXPECT_EQ(moveTimeLimit, 59950u);
    SetLevel(40, 0, 0);
}

}  // namespace
