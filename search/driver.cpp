// Iterative deepening with aspiration windows, the root search with its
// several lines and restricted moves, the reports to the front end and the
// search log.
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
SearchLimits searchLimits;
SearchReporter searchReporter = nullptr;
int iterationDepth = 0;
std::atomic<int> rootFailState{0};
int selDepth = 0;
uint64_t nodeCheckpoint = NO_NODE_LIMIT;
RootLine rootLines[MAX_LINES];
int rootLineCount = 0;

namespace {

constexpr int ROOT_WINDOW = MATE_SCORE;      // first iteration's window
constexpr int TRUSTED_ROOT_SCORE = MATE_SCORE - 100;  // root table scores at or above this are re-searched
// Nodes between two progress reports: a few hundred a second at full speed.
constexpr uint64_t PROGRESS_NODES = uint64_t{1} << 14;

// The line of the report being made, and the plies to the mate it ends in.
PrincipalVariation reportPv;
PrincipalVariation longerPv;
int reportMatePlies = 0;

bool IsMateScore(int score) {
    return score <= iterationDepth - MATE_SCORE || score >= MATE_SCORE - iterationDepth;
}

bool IsPondering() { return engineState.load(std::memory_order_relaxed) == EngineState::Pondering; }

// The plain search: one line over every root move. It alone reads the
// root's table entry for a result and follows the table for its line.
bool OneWholeLine() { return searchLimits.lines <= 1 && searchLimits.rootMoveCount == 0; }

bool IsAllowedAtRoot(Move move) {
    if (searchLimits.rootMoveCount == 0) return true;
    const Move* const begin = searchLimits.rootMoves;
    const Move* const end = begin + searchLimits.rootMoveCount;
    return std::find(begin, end, move) != end;
}

// The legal root moves the search may choose from.
int AllowedLegalMoves() {
    Move legal[MAX_LEGAL_MOVES];
    const int count = GenerateLegalMoves(legal);
    return static_cast<int>(std::count_if(legal, legal + count, IsAllowedAtRoot));
}

// The line of root entry index into reportPv: the table's line from the
// root for the plain search, else the entry's move and the table's line
// after it. For a mate score, reportMatePlies is the length of the line to
// the mate, followed past the iteration's depth where the line stops short
// of it, or 0 when the table holds no such line.
void BuildLine(int index, int score) {
    const bool fromRoot = OneWholeLine();
    const Move first = moveStack[index].move;
    const bool withFirst = !fromRoot && first != MOVE_NONE && !IsSpecialMove(first);
    const Move* const start = withFirst ? &first : nullptr;
    BuildPv(reportPv, iterationDepth, start, withFirst ? 1 : 0);
    reportMatePlies = 0;
    if (score <= WINNING_MATE_SCORE && score >= -WINNING_MATE_SCORE) return;
    const PrincipalVariation* line = &reportPv;
    if (!reportPv.endsInMate && reportPv.length == iterationDepth) {
        BuildPv(longerPv, MAX_PV_MOVES, start, withFirst ? 1 : 0);
        line = &longerPv;
    }
    // The side that mates moves last: an odd count of plies for a win.
    const int plies = MatePlies(*line);
    if (plies > 0 && (plies % 2 == 1) == (score > 0)) reportMatePlies = plies;
}

// A report of where the search stands; the caller adds what its kind carries.
SearchReport ReportOf(ReportKind kind) {
    SearchReport report{};
    report.kind = kind;
    report.depth = iterationDepth;
    report.selDepth = selDepth;
    report.nodes = nodeCount;
    return report;
}

void Report(ReportKind kind, int score, int line = 1, bool early = false) {
    if (!searchReporter) return;
    SearchReport report = ReportOf(kind);
    report.score = score;
    report.line = line;
    report.pv = &reportPv;
    report.matePlies = reportMatePlies;
    report.early = early;
    searchReporter(report);
}

void ReportWithPv(ReportKind kind, int score) {
    if (!searchReporter) return;
    BuildLine(0, score);
    Report(kind, score);
}

void ReportCurrentMove(Move move, int number) {
    if (!searchReporter) return;
    SearchReport report = ReportOf(ReportKind::CURRENT_MOVE);
    report.currentMove = move;
    report.currentMoveNumber = number;
    searchReporter(report);
}

// Keeps only the allowed moves in the root list.
ScoredMove* RestrictRootList(ScoredMove* end) {
    if (searchLimits.rootMoveCount == 0) return end;
    return std::remove_if(moveStack, end, [](const ScoredMove& entry) { return !IsAllowedAtRoot(entry.move); });
}

// The settled lines of an iteration, best first (a later pass can score
// above an earlier one when the table has learnt more in between).
void SortLines(int count) {
    std::stable_sort(moveStack, moveStack + count,
                     [](const ScoredMove& a, const ScoredMove& b) { return a.score > b.score; });
}

void KeepLines(int count) {
    rootLineCount = count;
    for (int i = 0; i < count; ++i) rootLines[i] = {moveStack[i].move, moveStack[i].score};
}

}  // namespace

bool PassNodeCheckpoint() {
    if (nodeCount >= searchLimits.nodes) {
        nodeCheckpoint = searchLimits.nodes;
        return true;
    }
    nodeCheckpoint = std::min(searchLimits.nodes, nodeCount + PROGRESS_NODES);
    if (searchReporter) searchReporter(ReportOf(ReportKind::PROGRESS));
    return false;
}

int16_t SearchRoot(int alpha, int beta, int firstLine) {
    AssertNodeEntry(0, alpha, beta);
    PlyRecord* const record = currentPly;
    const int depth = iterationDepth;
    const Colour side = pos.sideToMove;
    // Only a pass over every move of the position has a result for the
    // root's table entry; a pass that leaves moves out neither trusts nor
    // stores one.
    const bool wholeList = firstLine == 0 && searchLimits.rootMoveCount == 0;

    // The root takes a result from the table only below the mate range and
    // when the move does not head for a repetition; while a failed window is
    // re-searched, the window stays as it was set. Several lines need every
    // pass searched, so that each line's move is settled in the list.
    const TableView table = ProbeNode(record, depth, true, alpha, beta);
    if (table.usable && wholeList) {
        if (table.answers) {
            if (searchLimits.lines <= 1 && table.score < TRUSTED_ROOT_SCORE &&
                RepetitionAfterMove(record->hashMove) == 0)
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
    if (record->listEnd == nullptr) record->listEnd = RestrictRootList(GenerateNodeMoves(moveStack, &record->check));
    SaveSnapshot(record);
    ScoredMove* const first = moveStack + firstLine;
    MarkHashAndKillers(record, first, record->listEnd);

    MovePicker picker;
    StartPicker(picker, record, first, side);
    int searched = firstLine;
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
            } else {
                ReportCurrentMove(move, ++searched);
                if (DrawTest(2) != MOVE_NONE) {
                    score = 0;
                } else {
                    child.Fresh();
                    if (depth == 1)
                        score = -Quiescence(0, 1, -beta, -alpha);
                    else
                        score = SearchChild(depth - 1, 1, alpha, beta, bound == BOUND_EXACT);
                }
            }
        }
        if (StopRequested()) return static_cast<int16_t>(best);

        entry->score = static_cast<int16_t>(score);
        if (score > best) {
            best = score;
            bestEntry = entry;
            if (score > alpha) {
                if (score >= beta) {
                    if (wholeList)
                        RecordFullWidthCut(record, move, side, depth, score);
                    else
                        CreditCut(record, move, side, depth);
                    std::swap(*bestEntry, *first);
                    return static_cast<int16_t>(score);
                }
                alpha = score;
                bound = BOUND_EXACT;
            }
        }
    }

    if (best > -INFINITE_SCORE) {
        if (wholeList) StoreHash(depth, bound, best, bestEntry->move);
        std::swap(*bestEntry, *first);
        return static_cast<int16_t>(best);
    }
    // No legal move: only a pass over the whole list can tell.
    if (!wholeList) return static_cast<int16_t>(best);
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
    rootLineCount = 0;
    const Move draw = DrawTest(2);
    moveStack[0].move = draw;
    if (draw != MOVE_NONE) {
        moveStack[0].score = 0;
        return draw;
    }

    nodeCount = 0;
    selDepth = 0;
    nodeCheckpoint = searchReporter ? std::min(searchLimits.nodes, PROGRESS_NODES) : searchLimits.nodes;
    checkCount[0] = checkCount[1] = 0;
    root->listEnd = nullptr;
    const int lastIteration = std::clamp(searchLimits.depth, 1, MAX_ITERATION);
    const bool oneWholeLine = OneWholeLine();
    // Each line is one of the allowed legal moves; without any, the plain
    // search tells mate from stalemate.
    const int lines = oneWholeLine ? 1 : std::clamp(AllowedLegalMoves(), 1, std::min(searchLimits.lines, MAX_LINES));
    iterationDepth = std::min(2, lastIteration);
    int alpha = -ROOT_WINDOW;
    int beta = ROOT_WINDOW;
    ScoredMove result = {0, MOVE_NONE};

    // Resume from what the table already knows about this position; a book
    // entry only offers its move. Several lines or restricted root moves
    // start afresh: the entry speaks for one line over every move.
    if (const HashEntry* entry = oneWholeLine ? ProbeHash() : nullptr) {
        const bool book = IsBookEntry(entry);
        const int score = book ? 0 : EntryScore(entry);
        if (!book && EntryDepth(entry) >= 2) {
            const uint32_t bound = EntryBound(entry);
            if (bound == BOUND_EXACT) {
                alpha = score - ASPIRATION_WINDOW;
                beta = score + ASPIRATION_WINDOW;
                iterationDepth = std::min(EntryDepth(entry), lastIteration);
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
        if (RepetitionAfterMove(result.move) > 0) iterationDepth = std::min(2, lastIteration);
        if (alpha > WINNING_MATE_SCORE) {
            beta = ROOT_WINDOW;
            iterationDepth = std::min(2, lastIteration);
        }
    }

    char fen[96];
    GetFen(fen);
    LogLine("-FEN:\t%s", fen);
    ComputeCheckInfo(&root->check);

    int score = 0;
    while (iterationDepth <= lastIteration) {
        selDepth = 0;
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
            if (oneWholeLine) {
                if (const HashEntry* entry = ProbeHash()) result = {static_cast<int16_t>(score), EntryMove(entry)};
            } else if (lines == 1) {
                result = {static_cast<int16_t>(score), moveStack[0].move};
            }
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
        // The other lines, each the best of the moves not yet settled: their
        // scores are exact in the whole window.
        for (int line = 1; line < lines && !StopRequested(); ++line) SearchRoot(-ROOT_WINDOW, ROOT_WINDOW, line);

        if (StopRequested()) break;  // the interrupted iteration is discarded
        if (moveStack[0].move == MOVE_STALEMATE) {
            result = moveStack[0];
            break;
        }
        if (lines > 1) {
            SortLines(lines);
            score = moveStack[0].score;
        }
        KeepLines(lines);
        const bool mate = IsMateScore(score);
        // The log and xboard show iterations from 7 on and mates; a protocol
        // may show every iteration.
        const bool early = iterationDepth <= 6 && !mate;
        if (!early || searchReporter) BuildLine(0, score);
        if (!early) {
            if (IsPondering()) LogLine("-PONDER:");
            char text[PV_TEXT_SIZE];
            PvText(text, reportPv);
            LogLine("-E: %d:\t%d\t%s", iterationDepth, score, text);
        }
        Report(ReportKind::ITERATION, score, 1, early);
        for (int line = 1; line < lines && searchReporter; ++line) {
            BuildLine(line, moveStack[line].score);
            Report(ReportKind::ITERATION, moveStack[line].score, line + 1, early);
        }
        result = moveStack[0];
        if (mate) {
            LogLine("--- MATE: %d", score);
            break;
        }
        ++iterationDepth;
        alpha = score - ASPIRATION_WINDOW;
        beta = score + ASPIRATION_WINDOW;
        if (iterationDepth > lastIteration) break;
    }

    const HashEntry* const entry = oneWholeLine ? ProbeHash() : nullptr;
    if (entry) {
        if (EntryMove(entry) != result.move) {
            char text[16];
            MoveToText(text, EntryMove(entry));
            LogLine("-E: DIFFERENT MOVE: %s a: %d b: %d score: %d **************** ", text, alpha, beta, score);
        }
    } else if (oneWholeLine) {
        LogLine("**************************************************** WARNING "
                "*****************************************************************");
    }
    // The lines of an interrupted search are those of its last finished
    // iteration; a move that failed high since then stands alone.
    if (rootLineCount > 0 && rootLines[0].move != result.move) {
        rootLines[0] = {result.move, result.score};
        rootLineCount = 1;
    }
    moveStack[0] = result;
    // The end shows the iteration it was in, or the last one allowed when
    // the depth limit ended it.
    iterationDepth = std::min(iterationDepth, lastIteration);
    ReportWithPv(ReportKind::FINAL, result.score);
    return result.move;
}
