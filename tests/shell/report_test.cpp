// The result claims after the engine's own move.
#include <gtest/gtest.h>

#include <string>

#include "../movegen/position_support.h"
#include "search/hashtable.h"
#include "shell/report.h"

using namespace movetest;

namespace {

std::string Claim(int score) {
    const char* line = ResultAfterMove(score);
    return line ? line : "";
}

TEST(ResultAfterMove, ClaimsAMateOnlyWhenItStandsOnTheBoard) {
    // White to move after Black's Qh4: mated.
    SetFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -");
    EXPECT_EQ(Claim(MATE_IN_ONE), "0-1 {Pelmot mates 1}\n");
    // A mate two moves away scored as a mate at once (the table's mate
    // scores can be a few plies short): no claim, the game goes on.
    SetFen("8/8/8/8/8/k1r5/6PK/8 w - -");
    EXPECT_EQ(Claim(MATE_IN_ONE), "");
    // The table's mated entry of a position that is not mate (a colliding
    // entry) claims nothing either.
    SetFen("8/8/8/8/8/3r4/6PK/k7 w - -");
    StoreHash(2, BOUND_EXACT, MatedAtPly(0), MOVE_MATE);
    EXPECT_EQ(Claim(MATE_SCORE - 3), "");
    SetFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -");
    StoreHash(2, BOUND_EXACT, MatedAtPly(0), MOVE_MATE);
    EXPECT_EQ(Claim(MATE_SCORE - 3), "0-1 {Pelmot mates 1#}\n");
}

}  // namespace
