// How long the engine thinks: the budget per move from the front end's
// clock reports, in milliseconds.
#pragma once

#include <cstdint>

extern uint32_t movesPerSession;  // moves per time control; never 0
extern uint32_t timeIncrement;    // ms added per move
extern uint32_t timeBudget;       // ms for the next move

// "level MOVES BASE INCREMENT": BASE (minutes, or minutes:seconds) is read
// and not used.
void SetLevel(long long moves, long long incrementSeconds);
// Budget for an engine clock of the given centiseconds ("time").
uint32_t BudgetFromClock(long long centiseconds);
// Budget of the first move out of the book.
uint32_t FirstMoveOutOfBookBudget(uint32_t budget);
// Budget of the fixed test position: practically unlimited.
uint32_t TestPositionBudget();
