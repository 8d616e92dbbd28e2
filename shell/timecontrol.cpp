#include "shell/timecontrol.h"

#include <algorithm>

uint32_t movesPerSession = 40;
uint32_t timeIncrement = 0;
uint32_t timeBudget = 0;

namespace {

// A front end may report a negative clock after a flag fall; the engine then
// still answers quickly instead of thinking on a wrapped-around budget.
constexpr uint32_t FLAG_FALL_BUDGET = 50;

}  // namespace

void SetLevel(long long moves, long long incrementSeconds) {
    movesPerSession = moves > 0 && moves < 100000 ? static_cast<uint32_t>(moves) : 40;
    incrementSeconds = std::clamp(incrementSeconds, 0LL, 1000000LL);
    timeIncrement = static_cast<uint32_t>(incrementSeconds * 1000);
}

uint32_t BudgetFromClock(long long centiseconds) {
    if (centiseconds < 0) return timeIncrement + FLAG_FALL_BUDGET;
    // One second is held back so that the transmission delays of the
    // front end do not make the engine lose on time.
    if (centiseconds >= 200) centiseconds -= 100;
    long long budget = timeIncrement + 10 * (centiseconds / movesPerSession);
    return static_cast<uint32_t>(std::min(budget, 0xFFFFFFFFLL));
}

uint32_t FirstMoveOutOfBookBudget(uint32_t budget) {
    return std::min(3 * budget, movesPerSession * budget / 10);
}

uint32_t TestPositionBudget() {
    // Computed as the protocol clock would be, wrapping at 32 bits.
    return static_cast<uint32_t>(timeIncrement + 10u * (4123456689u / movesPerSession));
}
