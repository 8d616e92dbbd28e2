// How long the engine thinks: the budget per move from the front end's
// clock reports, and the limit that keeps every move inside the clock. All
// times are in milliseconds unless a name says otherwise.
#pragma once

#include <cstdint>

extern uint32_t movesPerSession;  // moves per time control; never 0
extern uint32_t timeIncrement;    // ms added per move
extern uint32_t timeBudget;       // ms for the next move
// The whole time the next move may take, extra time included, counted from
// the moment the front end hands the move over (its clock for the engine
// runs from then on). Set from each clock report; NO_TIME_LIMIT before the
// first one and for the test position.
extern uint32_t moveTimeLimit;
constexpr uint32_t NO_TIME_LIMIT = 0xFFFFFFFFu;

// "level MOVES BASE INCREMENT": the increment may have a fraction of a
// second. BASE (in ms) matters only until the front end reports a clock.
void SetLevel(long long moves, long long baseMs, long long incrementMs);
// "st": every move takes this long (less a margin), whatever the clock,
// within the clock's limit; 0 ends it, and so does "level".
void SetMoveTime(long long ms);
bool MoveTimeFixed();
// "time": the budget and the limit from the engine's clock in centiseconds.
// The front end keeps the clock from then on.
void SetClock(long long centiseconds);

// Until the front end reports a clock, the engine keeps one of its own, so
// that it thinks a sensible time for front ends that send none: 40 moves in
// 5 minutes, or the control of "level". It counts down as the engine moves.
// A new game sets it back to the whole control.
void ResetOwnClock();
// After each engine move, with the milliseconds it took.
void OwnClockMoved(uint32_t usedMs);
// A budget set by other means (the test position) ends the engine's own clock.
void StopOwnClock();
// Every value above as at the start of the process.
void ResetTimeControl();

// The arithmetic behind the globals, as functions of their inputs.

// The budget for a clock report: the increment plus the clock, one second
// held back, shared out over the moves of a time control.
uint32_t ClockBudget(long long centiseconds, uint32_t incrementMs, uint32_t moves);
// The first move out of the book thinks longer.
uint32_t FirstMoveOutOfBookBudget(uint32_t budget, uint32_t moves);
// The fixed test position: practically unlimited.
uint32_t TestPositionBudget();
// The most a move may take on a clock: half of a short clock, all but a
// second of a long one.
uint32_t ClockLimit(long long centiseconds);
// The wait for a fixed time per move: it moves a little before the time.
uint32_t FixedTimeWait(long long ms);
// Extra time a failing-low search may get beyond its budget.
uint64_t FailLowExtraTime(uint32_t budget);
// A wait of wanted ms cut to what limit leaves once used ms have passed.
uint64_t CappedWait(uint64_t wanted, uint32_t limit, uint64_t used);
