// Iterative deepening with aspiration windows, the root search, the reports
// to the front end and the search log.
#include "search/search.h"

#include <algorithm>
#include <utility>

#include "board/fen.h"
#include "board/keys.h"
#include "board/log.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/legality.h"
#include "search/node.h"
#include "search/pv.h"

using namespace search;

std::atomic<uint8_t> stopSearch{0};
int maxDepth = 127;
uint64_t nodeLimit = NO_NODE_LIMIT;
SearchReporter searchReporter = nullptr;
int iterationDepth = 0;
std::atomic<int> rootFailState{0};

namespace {

constexpr int ROOT_WINDOW = MATE_SCORE;      // first iteration's window
constexpr int TRUSTED_ROOT_SCORE = MATE_SCORE - 100;  // root table scores at or above this are re-searched

bool IsMateScore(int score) {
    return score <= iterationDepth - MATE_SCORE || score >= MATE_SCORE - iterationDepth;
}

bool IsPondering() { return engineState.load(std::memory_order_relaxed) == EngineState::Pondering; }

// pvText must hold the principal variation of the report.
void Report(ReportKind kind, int score, bool early = false) {
    if (searchReporter) searchReporter({kind, iterationDepth, score, nodeCount, pvText, early});
}

void ReportWithPv(ReportKind kind, int score) {
    if (!searchReporter) return;
    BuildPvText(pvText, iterationDepth);
    Report(kind, score);
}

}  // namespace

int16_t SearchRoot(int alpha, int beta) {
    AssertNodeEntry(0, alpha, beta);
    PlyRecord* const record = currentPly;
    const int depth = iterationDepth;
    const Colour side = pos.sideToMove;

    // The root takes a result from the table only below the mate range and
    // when the move does not head for a repetition; while a failed window is
    // re-searched, the window stays as it was set.
    const TableView table = ProbeNode(record, depth, true, alpha, beta);
    if (table.usable) {
        if (table.answers) {
            if (table.score < TRUSTED_ROOT_SCORE && RepetitionAfterMove(record->hashMove) == 0)
                return static_cast<int16_t>(table.score);
        } else if (rootFailState.load(std::memory_order_relaxed) == 0) {
            NarrowWindow(table, alpha, beta);
        }
    }

    int best = -INFINITE_SCORE;
    uint32_t bound = BOUND_UPPER;
    ScoredMove* bestEntry = nullptr;
    ComputeCheckInfo(&record->check);
    const bool inCheck = record->check.checkers != 0;
    // The root list is generated once per search; later iterations reorder
    // it by the scores the previous iteration wrote into it.
    if (record->listEnd == nullptr) record->listEnd = GenerateNodeMoves(moveStack, &record->check);
    SaveSnapshot(record);
    MarkHashAndKillers(record, moveStack, record->listEnd);

    MovePicker picker;
    StartPicker(picker, record, moveStack, side);
    while (ScoredMove* entry = NextMove(picker)) {
        const Move move = entry->move;
        // A mate or stalemate result written by an earlier pass is not a move.
        if (IsSpecialMove(move)) continue;
        int score;
        ++nodeCount;
        {
            const ChildPly child(record, move);
            if (KingAttackedAfterMove(move, side)) {
                score = -INFINITE_SCORE;
            } else if (DrawTest(2) != MOVE_NONE) {
                score = 0;
            } else {
                child.Fresh();
                if (depth == 1)
                    score = -Quiescence(0, 1, -beta, -alpha);
                else
                    score = SearchChild(depth - 1, 1, alpha, beta, bound == BOUND_EXACT);
            }
        }
        if (StopRequested()) return static_cast<int16_t>(best);

        entry->score = static_cast<int16_t>(score);
        if (score > best) {
            best = score;
            bestEntry = entry;
            if (score > alpha) {
                if (score >= beta) {
                    RecordFullWidthCut(record, move, side, depth, score);
                    std::swap(*bestEntry, moveStack[0]);
                    return static_cast<int16_t>(score);
                }
                alpha = score;
                bound = BOUND_EXACT;
            }
        }
    }

    if (best > -INFINITE_SCORE) {
        StoreHash(depth, bound, best, bestEntry->move);
        std::swap(*bestEntry, moveStack[0]);
        return static_cast<int16_t>(best);
    }
    if (inCheck) {
        constexpr int16_t mated = MatedAtPly(0);
        moveStack[0] = {mated, MOVE_MATE};
        StoreHash(depth, BOUND_EXACT, mated, MOVE_MATE);
        return mated;
    }
    moveStack[0] = {0, MOVE_STALEMATE};
    StoreHash(depth, BOUND_EXACT, 0, MOVE_STALEMATE);
    return 0;
}

Move IterativeSearch() {
    PlyRecord* const root = currentPly;
    const Move draw = DrawTest(2);
    moveStack[0].move = draw;
    if (draw != MOVE_NONE) {
        moveStack[0].score = 0;
        return draw;
    }

    nodeCount = 0;
    checkCount[0] = checkCount[1] = 0;
    root->listEnd = nullptr;
    iterationDepth = 2;
    int alpha = -ROOT_WINDOW;
    int beta = ROOT_WINDOW;
    ScoredMove result = {0, MOVE_NONE};

    // Resume from what the table already knows about this position; a book
    // entry only offers its move.
    if (const HashEntry* entry = ProbeHash()) {
        const bool book = IsBookEntry(entry);
        const int score = book ? 0 : EntryScore(entry);
        if (!book && EntryDepth(entry) >= 2) {
            const uint32_t bound = EntryBound(entry);
            if (bound == BOUND_EXACT) {
                alpha = score - ASPIRATION_WINDOW;
                beta = score + ASPIRATION_WINDOW;
                iterationDepth = EntryDepth(entry);
            } else if (bound == BOUND_LOWER) {
                // A mate read from the table a ply short can sit on the
                // window's edge (8100): the window keeps room on both sides.
                if (score > -ROOT_WINDOW) alpha = std::min(score, ROOT_WINDOW - 1);
            } else if (score < ROOT_WINDOW) {
                beta = std::max(score, -ROOT_WINDOW + 1);
            }
        }
        result = {static_cast<int16_t>(score), EntryMove(entry)};
        moveStack[0] = result;
        if (RepetitionAfterMove(result.move) > 0) iterationDepth = 2;
        if (alpha > WINNING_MATE_SCORE) {
            beta = ROOT_WINDOW;
            iterationDepth = 2;
        }
    }

    char fen[96];
    GetFen(fen);
    LogLine("-FEN:\t%s", fen);
    ComputeCheckInfo(&root->check);

    int score = 0;
    while (iterationDepth <= maxDepth) {
        score = SearchRoot(alpha, beta);
        bool failed = false;
        if (score <= alpha) {
            rootFailState = -1;
            alpha = -ROOT_WINDOW;
            beta = score + 1;
            failed = true;
        } else if (score >= beta) {
            alpha = score - 1;
            rootFailState = 1;
            // A mate score read from the table can reach the window's top
            // (a mated root entry is one ply short when read as a child):
            // the window stays open above alpha.
            beta = std::max(ROOT_WINDOW - 1, alpha + 1);
            if (const HashEntry* entry = ProbeHash()) result = {static_cast<int16_t>(score), EntryMove(entry)};
            failed = true;
        }
        if (failed) {
            if (!StopRequested())
                ReportWithPv(rootFailState.load() < 0 ? ReportKind::FAIL_LOW : ReportKind::FAIL_HIGH, score);
            score = SearchRoot(alpha, beta);
            if (score <= alpha || score >= beta) {
                alpha = -ROOT_WINDOW;
                beta = ROOT_WINDOW - 1;
                score = SearchRoot(alpha, beta);
            }
            rootFailState = 0;
        }

        if (StopRequested()) break;  // the interrupted iteration is discarded
        if (moveStack[0].move == MOVE_STALEMATE) {
            result = moveStack[0];
            break;
        }
        const bool mate = IsMateScore(score);
        // The log and xboard show iterations from 7 on and mates; a protocol
        // may show every iteration.
        const bool early = iterationDepth <= 6 && !mate;
        if (!early) {
            if (IsPondering()) LogLine("-PONDER:");
            BuildPvText(pvText, iterationDepth);
            LogLine("-E: %d:\t%d\t%s", iterationDepth, score, pvText);
        } else if (searchReporter) {
            BuildPvText(pvText, iterationDepth);
        }
        Report(ReportKind::ITERATION, score, early);
        result = moveStack[0];
        if (mate) {
            LogLine("--- MATE: %d", score);
            break;
        }
        ++iterationDepth;
        alpha = score - ASPIRATION_WINDOW;
        beta = score + ASPIRATION_WINDOW;
        if (iterationDepth > maxDepth) break;
    }

    if (const HashEntry* entry = ProbeHash()) {
        if (EntryMove(entry) != result.move) {
            char text[16];
            MoveToText(text, EntryMove(entry));
            LogLine("-E: DIFFERENT MOVE: %s a: %d b: %d score: %d **************** ", text, alpha, beta, score);
        }
    } else {
        LogLine("**************************************************** WARNING "
                "*****************************************************************");
    }
    ReportWithPv(ReportKind::FINAL, result.score);
    moveStack[0] = result;
    return result.move;
}
