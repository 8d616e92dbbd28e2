// Iterative deepening, root search, alpha-beta and quiescence.
#pragma once

#include <atomic>
#include <cstdint>
#include "board/plyrecord.h"
#include "movegen/legality.h"

enum EngineState : int { Idle = 0, Thinking = 1, Pondering = 2, Waiting = 3, Quitting = 4 };

// Written by the engine shell, read by the search.
extern std::atomic<int> engineState;     // a ponder search prints no thinking lines
extern std::atomic<uint8_t> stopSearch;  // 1 asks the running search to stop

constexpr int MAX_ITERATION = 127;
constexpr uint64_t NO_NODE_LIMIT = ~uint64_t{0};
// Lines a search can show side by side, and root moves it can be
// restricted to: as many as a position has.
constexpr int MAX_LINES = MAX_LEGAL_MOVES;
constexpr int MAX_ROOT_MOVES = MAX_LEGAL_MOVES;

// What one search may do, set by the engine control before it starts. The
// defaults are the full search: one line, every root move, no limit.
struct SearchLimits {
    int depth = MAX_ITERATION;      // the last iteration; 1 searches one ply
    uint64_t nodes = NO_NODE_LIMIT; // the search stops once it has counted this many
    int lines = 1;                  // the best root moves each scored exactly
    int rootMoveCount = 0;          // 0: every root move; else only rootMoves
    Move rootMoves[MAX_ROOT_MOVES] = {};
};
extern SearchLimits searchLimits;

// Written by the search; rootFailState is also read by the engine control
// while the search runs (extra time after a fail low).
extern int iterationDepth;
extern std::atomic<int> rootFailState;   // -1 re-searching a fail low, 1 a fail high, 0 otherwise
extern uint64_t nodeCount;               // moves made by AlphaBeta and SearchRoot in this search
extern int32_t checkCount[2];            // in-check nodes of each side on the current line

// Half-width of the window around the previous iteration's score.
constexpr int ASPIRATION_WINDOW = 30;

Move IterativeSearch();
// One pass over the root list from entry firstLine on (the lines before it
// are settled in this iteration); the best move goes to entry firstLine.
// Only a pass over the whole, unrestricted list reads and writes the root's
// table entry.
int16_t SearchRoot(int alpha, int beta, int firstLine = 0);
int16_t AlphaBeta(int depth, int ply, int alpha, int beta, int allowNull);
int16_t Quiescence(int qdepth, int ply, int alpha, int beta);

// The slow path of StopRequested, taken once nodeCount reaches
// nodeCheckpoint: true at the node limit, else a report of the search's
// progress and the next checkpoint.
extern uint64_t nodeCheckpoint;
bool PassNodeCheckpoint();
// A stop, or the node limit, is honoured from iteration 3 on: iteration 2
// always finishes, so there is a searched move to play.
inline bool StopRequested() {
    return (stopSearch.load(std::memory_order_relaxed) != 0 ||
            (nodeCount >= nodeCheckpoint && PassNodeCheckpoint())) &&
           iterationDepth > 2;
}

// The deepest ply the current iteration has reached, quiescence included.
extern int selDepth;

// What the search tells the front end, on the engine thread: each finished
// iteration (one report per line, best first), a root window that failed
// (the score is then only a bound), the end of the search, the root move
// being searched and, every few thousand nodes, the figures so far. The
// active protocol chooses what to print and when.
enum class ReportKind { ITERATION, FAIL_LOW, FAIL_HIGH, FINAL, CURRENT_MOVE, PROGRESS };
struct PrincipalVariation;
struct SearchReport {
    ReportKind kind;
    int depth;        // at the end: the depth the driver had reached, as xboard shows it
    int selDepth;
    int score;        // side to move's view
    int line;         // 1 for the best line, 2 for the next...
    uint64_t nodes;
    const PrincipalVariation* pv;  // ITERATION, FAIL_LOW, FAIL_HIGH and FINAL
    int matePlies;    // for a mate score: the plies of the line to the mate, 0 when unknown
    bool early;       // an iteration below 7 without a mate score, which xboard does not show
    Move currentMove; // CURRENT_MOVE: the root move and its place in the order
    int currentMoveNumber;
};
using SearchReporter = void (*)(const SearchReport& report);
// None until a protocol sets it: then the search prints nothing.
extern SearchReporter searchReporter;

// The lines of the last finished iteration, best first, each with its
// score: the search's choices for the engine control, which may play
// another than the first (a weaker level). moveStack[0] holds the first.
struct RootLine {
    Move move;
    int score;
};
extern RootLine rootLines[MAX_LINES];
extern int rootLineCount;

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
