#include "shell/timecontrol.h"

#include <algorithm>

namespace {

// The moves of a session when the front end names none (or an unusable count).
constexpr uint32_t DEFAULT_SESSION_MOVES = 40;
constexpr long long MAX_SESSION_MOVES = 100000;

}  // namespace

uint32_t movesPerSession = DEFAULT_SESSION_MOVES;
uint32_t timeIncrement = 0;
uint32_t timeBudget = 0;
uint32_t moveTimeLimit = NO_TIME_LIMIT;

namespace {

// A front end may report a negative clock after a flag fall; the engine then
// still answers quickly instead of thinking on a wrapped-around budget.
constexpr uint32_t FLAG_FALL_BUDGET = 50;
// Clocks of at least this many centiseconds have HOLD_BACK_CS held back
// before they are shared out.
constexpr long long HOLD_BACK_FROM_CS = 200;
constexpr long long HOLD_BACK_CS = 100;
// A failing-low search with a budget above this may take twice the budget more.
constexpr uint32_t EXTRA_TIME_FROM = 6000;
constexpr uint64_t EXTRA_TIME_FACTOR = 2;
// What a move leaves on the clock for the front end's own work and for
// delays in passing the move on: half the clock while it is short, then
// this much.
constexpr long long CLOCK_RESERVE_MS = 1000;
constexpr long long MAX_MS = 0xFFFFFFFFLL;
constexpr long long MAX_INCREMENT_MS = 1000000000LL;
// A fixed time per move ends this much before the time, or at half of a
// shorter one.
constexpr long long FIXED_TIME_MARGIN_MS = 50;
// "st": 0, or the wait for every move.
uint32_t fixedMoveWait = 0;

// The engine's own clock, used until the front end reports one.
constexpr long long OWN_CONTROL_MOVES = 40;
constexpr long long OWN_CONTROL_MS = 5 * 60 * 1000;
struct OwnClock {
    bool running = true;
    long long controlMs = OWN_CONTROL_MS;
    long long controlMoves = OWN_CONTROL_MOVES;  // 0: the whole game
    long long leftMs = OWN_CONTROL_MS;
    long long movesToControl = OWN_CONTROL_MOVES;
};
OwnClock ownClock;

bool IsSessionMoves(long long moves) { return moves > 0 && moves < MAX_SESSION_MOVES; }

void BudgetFromClock(long long centiseconds) {
    timeBudget = fixedMoveWait ? fixedMoveWait : ClockBudget(centiseconds, timeIncrement, movesPerSession);
    moveTimeLimit = ClockLimit(centiseconds);
}

void BudgetFromOwnClock() { BudgetFromClock(ownClock.leftMs / 10); }

}  // namespace

void SetLevel(long long moves, long long baseMs, long long incrementMs) {
    fixedMoveWait = 0;
    movesPerSession = IsSessionMoves(moves) ? static_cast<uint32_t>(moves) : DEFAULT_SESSION_MOVES;
    timeIncrement = static_cast<uint32_t>(std::clamp(incrementMs, 0LL, MAX_INCREMENT_MS));
    if (!ownClock.running) return;
    ownClock.controlMs = std::clamp(baseMs, 0LL, MAX_MS);
    ownClock.controlMoves = IsSessionMoves(moves) ? moves : 0;
    ResetOwnClock();
}

void SetMoveTime(long long ms) {
    fixedMoveWait = ms > 0 ? FixedTimeWait(ms) : 0;
    if (fixedMoveWait) {
        timeBudget = fixedMoveWait;
    } else if (ownClock.running) {
        BudgetFromOwnClock();
    }
}

bool MoveTimeFixed() { return fixedMoveWait != 0; }

void SetClock(long long centiseconds) {
    ownClock.running = false;
    BudgetFromClock(centiseconds);
}

void ResetOwnClock() {
    if (!ownClock.running) return;
    ownClock.leftMs = ownClock.controlMs;
    ownClock.movesToControl = ownClock.controlMoves;
    BudgetFromOwnClock();
}

void OwnClockMoved(uint32_t usedMs) {
    if (!ownClock.running) return;
    ownClock.leftMs += timeIncrement - static_cast<long long>(usedMs);
    if (ownClock.controlMoves > 0 && --ownClock.movesToControl == 0) {
        ownClock.leftMs += ownClock.controlMs;
        ownClock.movesToControl = ownClock.controlMoves;
    }
    BudgetFromOwnClock();
}

void StopOwnClock() { ownClock.running = false; }

void ResetTimeControl() {
    movesPerSession = DEFAULT_SESSION_MOVES;
    timeIncrement = 0;
    timeBudget = 0;
    moveTimeLimit = NO_TIME_LIMIT;
    fixedMoveWait = 0;
    ownClock = OwnClock{};
}

uint32_t ClockBudget(long long centiseconds, uint32_t incrementMs, uint32_t moves) {
    if (centiseconds < 0) return incrementMs + FLAG_FALL_BUDGET;
    // One second is held back so that the transmission delays of the
    // front end do not make the engine lose on time.
    if (centiseconds >= HOLD_BACK_FROM_CS) centiseconds -= HOLD_BACK_CS;
    long long budget = incrementMs + 10 * (centiseconds / moves);
    return static_cast<uint32_t>(std::min(budget, MAX_MS));
}

uint32_t FirstMoveOutOfBookBudget(uint32_t budget, uint32_t moves) {
    return std::min(3 * budget, moves * budget / 10);
}

uint32_t TestPositionBudget() {
    // Computed as the protocol clock would be for one move per session and
    // no increment, wrapping at 32 bits.
    return 10u * 4123456689u;
}

uint32_t ClockLimit(long long centiseconds) {
    if (centiseconds <= 0) return 0;
    const long long ms = std::min(10 * centiseconds, MAX_MS);
    return static_cast<uint32_t>(ms - std::min(CLOCK_RESERVE_MS, ms / 2));
}

uint32_t FixedTimeWait(long long ms) {
    const long long t = std::clamp(ms, 0LL, MAX_MS - 1);
    return static_cast<uint32_t>(t - std::min(FIXED_TIME_MARGIN_MS, t / 2));
}

uint64_t FailLowExtraTime(uint32_t budget) {
    return budget > EXTRA_TIME_FROM ? EXTRA_TIME_FACTOR * budget : 0;
}

uint64_t CappedWait(uint64_t wanted, uint32_t limit, uint64_t used) {
    if (limit == NO_TIME_LIMIT) return wanted;
    return std::min<uint64_t>(wanted, limit > used ? limit - used : 0);
}
