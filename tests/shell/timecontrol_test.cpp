#include <gtest/gtest.h>

#include "shell/timecontrol.h"

// The budget for a clock report, with the one-second hold-back from 2 s on.
TEST(TimeControl, BudgetFromTheClock) {
    EXPECT_EQ(ClockBudget(30000, 0, 40), 7470u);       // 29900 / 40 = 747
    EXPECT_EQ(ClockBudget(12000, 12000, 40), 14970u);  // 11900 / 40 = 297, plus 12 s
    EXPECT_EQ(ClockBudget(150, 0, 40), 30u);           // no hold-back below 2 s
    EXPECT_EQ(ClockBudget(150, 12000, 40), 12030u);
    EXPECT_EQ(ClockBudget(200, 0, 40), 20u);           // 200 is held back to 100
    EXPECT_EQ(ClockBudget(199, 0, 40), 40u);
    EXPECT_EQ(ClockBudget(39, 500, 40), 500u);         // below one centisecond a move: the increment
    EXPECT_EQ(ClockBudget(30000, 0, 1), 299000u);
    EXPECT_EQ(ClockBudget(-500, 1000, 40), 1050u);     // after a flag fall: quick

    // "level" with 0 moves means 40; the increment comes in milliseconds.
    SetLevel(0, 0, 12000);
    EXPECT_EQ(movesPerSession, 40u);
    EXPECT_EQ(timeIncrement, 12000u);
    SetClock(12000);
    EXPECT_EQ(timeBudget, 14970u);
    SetLevel(40, 0, 0);
}

TEST(TimeControl, FirstMoveOutOfTheBookAndTheTestPosition) {
    EXPECT_EQ(FirstMoveOutOfBookBudget(7470, 40), 22410u);  // three times, under the cap of four
    EXPECT_EQ(FirstMoveOutOfBookBudget(7470, 1), 747u);     // a tenth
    EXPECT_EQ(FirstMoveOutOfBookBudget(7470, 20), 14940u);  // twice: the cap
    EXPECT_EQ(TestPositionBudget(), 2579861226u);
}

TEST(TimeControl, FailLowExtraTime) {
    EXPECT_EQ(FailLowExtraTime(6000), 0u);
    EXPECT_EQ(FailLowExtraTime(6001), 12002u);
    EXPECT_EQ(FailLowExtraTime(TestPositionBudget()), 2ull * 2579861226u);
}

// The limit on a whole move: half of a clock below 2 s, all but a second above.
TEST(TimeControl, LimitFromTheClock) {
    EXPECT_EQ(ClockLimit(500), 4000u);
    EXPECT_EQ(ClockLimit(200), 1000u);
    EXPECT_EQ(ClockLimit(150), 750u);
    EXPECT_EQ(ClockLimit(30000), 299000u);
    EXPECT_EQ(ClockLimit(0), 0u);
    EXPECT_EQ(ClockLimit(-500), 0u);
    SetClock(500);
    EXPECT_EQ(moveTimeLimit, 4000u);
}

// Where the budget and the extra time stay under the limit, they stand.
TEST(TimeControl, LimitLeavesTheBudgetAloneOnLongClocks) {
    // 40 moves in 5 minutes: budget 7470, with extra time 22410 in all.
    uint32_t limit = ClockLimit(30000);
    EXPECT_EQ(CappedWait(ClockBudget(30000, 0, 40), limit, 0), 7470u);
    EXPECT_EQ(CappedWait(FailLowExtraTime(7470), limit, 7470), 14940u);
    // 2 minutes + 12 s at the start.
    limit = ClockLimit(12000);
    EXPECT_EQ(CappedWait(14970, limit, 0), 14970u);
    EXPECT_EQ(CappedWait(FailLowExtraTime(14970), limit, 14970), 29940u);
    // First move out of the book, 40 moves in 5 minutes.
    EXPECT_EQ(CappedWait(FirstMoveOutOfBookBudget(7470, 40), ClockLimit(30000), 0), 22410u);
    // No clock report yet, or the test position: no limit.
    EXPECT_EQ(CappedWait(TestPositionBudget(), NO_TIME_LIMIT, 5), 2579861226u);
}

TEST(TimeControl, LimitCutsMovesThatWouldPassTheClock) {
    // 5 s + 5 s: the budget of 5100 ms is more than the clock.
    EXPECT_EQ(CappedWait(ClockBudget(500, 5000, 40), ClockLimit(500), 0), 4000u);
    // 2 minutes + 12 s with 35 s left: budget 12850, the extra time is cut
    // to what the limit of 34 s leaves.
    const uint32_t budget = ClockBudget(3500, 12000, 40);
    EXPECT_EQ(budget, 12850u);
    EXPECT_EQ(CappedWait(FailLowExtraTime(budget), ClockLimit(3500), budget), 34000u - 12850u);
    // One move in 5 minutes: the budget is the clock less a second, which is
    // the limit, so no extra time is left.
    EXPECT_EQ(CappedWait(FailLowExtraTime(299000), ClockLimit(30000), 299000), 0u);
    // One move per session, 1.5 s on the clock and no increment: the budget
    // is the whole clock, the limit half of it.
    EXPECT_EQ(ClockBudget(150, 0, 1), 1500u);
    EXPECT_EQ(CappedWait(ClockBudget(150, 0, 1), ClockLimit(150), 0), 750u);
    // With a 1 s increment and 1.5 s on the clock.
    EXPECT_EQ(CappedWait(ClockBudget(150, 1000, 40), ClockLimit(150), 0), 750u);
    // A ponder hit whose clock started 300 ms ago, and a limit already used up.
    EXPECT_EQ(CappedWait(4000, ClockLimit(500), 300), 3700u);
    EXPECT_EQ(CappedWait(4000, ClockLimit(500), 4500), 0u);
    // A negative clock: the move is played as soon as the search allows.
    EXPECT_EQ(CappedWait(ClockBudget(-500, 0, 40), ClockLimit(-500), 0), 0u);
}
