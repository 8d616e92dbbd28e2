// Engine thread and its control from the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include "board/plyrecord.h"
#include "search/search.h"
#include "shell/events.h"

// engineState and its values are declared with the search, which reads them;
// the main thread changes the state through this one function.
void SetEngineState(EngineState state);

extern std::atomic<uint8_t> ponderEnabled;
// Main-thread state of the game being played.
extern Move ponderMove;
extern PlyRecord ponderRecord;
extern uint8_t lastMoveFromBook;
// Process clock when the running search was started; 0 once it is stopped.
extern uint32_t searchStartTime;
// Process clock when the last search was started, kept while it runs and
// after: the time its reports give.
extern uint32_t searchBegan;
// The limits of the engine's own searches in a game ("sd" in xboard mode).
extern SearchLimits gameLimits;

// The hand-over between the two threads: the engine thread waits on
// startSignal, confirms through startedSignal and sets stoppedSignal whenever
// it is idle. The main thread touches the position and the search tables only
// after a wait on stoppedSignal has returned.
extern Event startSignal;
extern Event stoppedSignal;
extern Event startedSignal;

// Milliseconds since the process started.
uint32_t ProcessClock();

void EngineThread();
// At start-up: the engine thread and the attack tables.
void StartEngineAndTables();
// Starts the engine thread (once, at start-up) and waits for its end at "quit".
void LaunchEngineThread();
void JoinEngineThread();
// Ends the engine thread, which must be stopped, and waits for its end.
void EndEngineThread();
// Called on the engine thread each time it has set stoppedSignal (a search
// has returned, or the thread has just started): a protocol that reads its
// input while the engine searches is woken by it. None in xboard mode.
extern void (*searchEnded)();

// Starts a search with these limits (the engine state says whether it
// thinks or ponders).
void StartEngine(const SearchLimits& limits);
void StopEngine();
// The extra time a root move that is failing low gets once the budget is
// spent, within the clock's limit; moveStart as below.
uint64_t ExtraTimeForFailLow(uint32_t moveStart);
// The stop when the time for a move is up; moveStart is the process clock
// when the move was handed over, from which the time limit counts.
void StopEngineConditional(uint32_t moveStart);
