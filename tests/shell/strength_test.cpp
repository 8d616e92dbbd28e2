// The weaker levels: fewer nodes and more noise as the level falls, and a
// choice that never strays further than the level allows.
#include <gtest/gtest.h>

#include "shell/strength.h"

namespace {

TEST(Strength, WeakerLevelsSearchLessWithMoreNoise) {
    const StrengthLevel full = LevelForElo(FULL_STRENGTH_ELO);
    EXPECT_EQ(full.nodes, NO_NODE_LIMIT);
    EXPECT_EQ(full.noise, 0);
    StrengthLevel stronger = full;
    for (int elo = FULL_STRENGTH_ELO - 100; elo >= WEAKEST_ELO; elo -= 100) {
        const StrengthLevel level = LevelForElo(elo);
        EXPECT_LE(level.nodes, stronger.nodes) << elo;
        EXPECT_GE(level.noise, stronger.noise) << elo;
        EXPECT_GE(level.maxLoss, level.noise) << elo;
        stronger = level;
    }
    EXPECT_GT(LevelForElo(WEAKEST_ELO).noise, 0);
    EXPECT_EQ(LevelForElo(WEAKEST_ELO - 500).nodes, LevelForElo(WEAKEST_ELO).nodes);
}

TEST(Strength, ChoosesWithinTheLevelsLoss) {
    const Move a = BuildMove(SQ_E2, SQ_E4, KIND_QUIET), b = BuildMove(SQ_D2, SQ_D4, KIND_QUIET),
               c = BuildMove(SQ_G1, SQ_F3, KIND_QUIET), d = BuildMove(SQ_A2, SQ_A3, KIND_QUIET);
    const StrengthLevel level = LevelForElo(WEAKEST_ELO);
    const RootLine lines[] = {{a, 30}, {b, 30 - level.noise / 2}, {c, 10 - level.maxLoss}, {d, -MATE_SCORE + 5}};
    uint64_t seed = 12345;
    int chosen[2] = {0, 0};
    for (int i = 0; i < 1000; ++i) {
        const Move move = ChooseLevelMove(lines, 4, level, seed);
        ASSERT_TRUE(move == a || move == b) << i;
        ++chosen[move == b];
    }
    // Both close moves are played, the better more often.
    EXPECT_GT(chosen[0], chosen[1]);
    EXPECT_GT(chosen[1], 100);
    // A mate is always played, and the full strength plays the best line.
    const RootLine mate[] = {{c, MATE_SCORE - 3}, {a, 40}};
    EXPECT_EQ(ChooseLevelMove(mate, 2, level, seed), c);
    EXPECT_EQ(ChooseLevelMove(lines, 4, LevelForElo(FULL_STRENGTH_ELO), seed), a);
}

}  // namespace
