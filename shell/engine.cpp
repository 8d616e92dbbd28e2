#include "shell/engine.h"

#include <chrono>
#include <thread>
#include "board/log.h"
#include "board/tables.h"
#include "search/search.h"
#include "shell/timecontrol.h"

std::atomic<int> engineState{Idle};
std::atomic<uint8_t> ponderEnabled{1};
Move ponderMove = MOVE_NONE;
PlyRecord ponderRecord;
uint8_t lastMoveFromBook = 0;
uint32_t searchStartTime = 0;
uint32_t searchBegan = 0;
SearchLimits gameLimits;
void (*searchEnded)() = nullptr;

Event startSignal(Event::AUTO_RESET);
Event stoppedSignal(Event::MANUAL_RESET);
Event startedSignal(Event::AUTO_RESET);

namespace {

const auto processStart = std::chrono::steady_clock::now();
std::thread engineThread;

}  // namespace

void SetEngineState(EngineState state) { engineState = state; }

uint32_t ProcessClock() {
    auto elapsed = std::chrono::steady_clock::now() - processStart;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void EngineThread() {
    for (;;) {
        LogLine("-------------- STOPPED%u", ProcessClock());
        stoppedSignal.Set();
        if (searchEnded) searchEnded();
        startSignal.Wait();
        stoppedSignal.Reset();
        int state = engineState.load();
        if (state == Thinking || state == Pondering) {
            LogLine("-------------- STARTED%u", ProcessClock());
            startedSignal.Set();
            IterativeSearch();
        } else {
            LogLine("-------------- ELSE  %u", ProcessClock());
        }
        if (engineState.load() == Quitting) break;
    }
    LogLine("-------------- STARTED");
    startedSignal.Set();
}

void LaunchEngineThread() { engineThread = std::thread(EngineThread); }

void StartEngineAndTables() {
    currentPly = plyRecords;
    LaunchEngineThread();
    InitTables();
    // The transposition table is empty: it comes as fresh zeroed pages, and
    // every set-up clears it again.
}

void JoinEngineThread() {
    if (engineThread.joinable()) engineThread.join();
}

void EndEngineThread() {
    SetEngineState(Quitting);
    StartEngine(SearchLimits{});
    JoinEngineThread();
}

void StartEngine(const SearchLimits& limits) {
    LogLine("-M: entered StartEngine");
    searchLimits = limits;
    stopSearch = 0;
    searchStartTime = ProcessClock();
    searchBegan = searchStartTime;
    startSignal.Set();
    startedSignal.Wait();
    LogLine("-M: exited StartEngine");
}

void StopEngine() {
    LogLine("-M: entered StopEngine");
    searchStartTime = 0;
    stopSearch = 1;
    stoppedSignal.Wait();
    // Only now: a ponder search that still saw itself as thinking would print
    // its last line about a position the game has not reached.
    SetEngineState(Idle);
    LogLine("-M: exited StopEngine");
}

uint64_t ExtraTimeForFailLow(uint32_t moveStart) {
    // A root move that failed low is still being resolved: let it finish
    // rather than play a move the search has just found to be bad, as long
    // as the clock allows.
    if (rootFailState.load() >= 0 || MoveTimeFixed()) return 0;
    return CappedWait(FailLowExtraTime(timeBudget), moveTimeLimit, ProcessClock() - moveStart);
}

void StopEngineConditional(uint32_t moveStart) {
    LogLine("-M: entered StopEngineConditional");
    SetEngineState(Idle);
    if (const uint64_t extra = ExtraTimeForFailLow(moveStart); extra > 0) {
        LogLine("-M: FL - Extra time");
        stoppedSignal.WaitFor(extra);
    }
    stopSearch = 1;
    searchStartTime = 0;
    LogLine("-----WAIT INF C:");
    stoppedSignal.Wait();
    LogLine("-M: exited StopEngineConditional");
}
