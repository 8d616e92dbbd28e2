// Iterative deepening, root search, alpha-beta and quiescence.
#pragma once

#include <atomic>
#include <cstdint>
#include "board/plyrecord.h"

enum EngineState : int { Idle = 0, Thinking = 1, Pondering = 2, Waiting = 3, Quitting = 4 };

// Written by the engine shell, read by the search.
extern std::atomic<int> engineState;     // a ponder search prints no thinking lines
extern std::atomic<uint8_t> stopSearch;  // 1 asks the running search to stop
extern int maxDepth;                     // deepest iteration allowed
extern uint64_t nodeLimit;               // the search stops once it has counted this many nodes
constexpr uint64_t NO_NODE_LIMIT = ~uint64_t{0};

// Written by the search; rootFailState is also read by the engine control
// while the search runs (extra time after a fail low).
extern int iterationDepth;
extern std::atomic<int> rootFailState;   // -1 re-searching a fail low, 1 a fail high, 0 otherwise
extern uint64_t nodeCount;               // moves made by AlphaBeta and SearchRoot in this search
extern int32_t checkCount[2];            // in-check nodes of each side on the current line

// Half-width of the window around the previous iteration's score.
constexpr int ASPIRATION_WINDOW = 30;

Move IterativeSearch();
int16_t SearchRoot(int alpha, int beta);
int16_t AlphaBeta(int depth, int ply, int alpha, int beta, int allowNull);
int16_t Quiescence(int qdepth, int ply, int alpha, int beta);

// A stop, or the node limit, is honoured from iteration 3 on: iteration 2
// always finishes, so there is a searched move to play.
inline bool StopRequested() {
    return (stopSearch.load(std::memory_order_relaxed) != 0 || nodeCount >= nodeLimit) && iterationDepth > 2;
}

// What the search tells the front end, on the engine thread: each finished
// iteration, a root window that failed (the score is then only a bound), and
// the end of the search. The active protocol chooses what to print.
enum class ReportKind { ITERATION, FAIL_LOW, FAIL_HIGH, FINAL };
struct SearchReport {
    ReportKind kind;
    int depth;       // at the end: the depth the driver had reached, as xboard shows it
    int score;       // side to move's view
    uint64_t nodes;
    const char* pv;  // principal variation text, moves separated by blanks
    bool early;      // an iteration below 7 without a mate score, which xboard does not show
};
using SearchReporter = void (*)(const SearchReport& report);
// None until a protocol sets it: then the search prints nothing.
extern SearchReporter searchReporter;

// True when a node whose list would start at listStart could run out of
// move-stack or position-history entries; such a node (like one on the last
// ply record) returns the static value instead of searching.
bool NoRoomForChildren(const ScoredMove* listStart);

// Marks the hash move and the killers over a node's list (full-width nodes).
void MarkHashAndKillers(PlyRecord* record, ScoredMove* start, ScoredMove* end);

// Two-stage move picker of the full-width nodes: highest ordering score
// first while it is at least -10000, then the quiet stage by history key.
struct MovePicker {
    PlyRecord* record;
    ScoredMove* base;      // entry of ordering key 0 once the quiet stage runs
    bool historyStage;
    Colour side;
};
void StartPicker(MovePicker& picker, PlyRecord* record, ScoredMove* start, Colour side);
// Swaps the next move to the cursor and returns it; nullptr when the list is done.
ScoredMove* NextMove(MovePicker& picker);
