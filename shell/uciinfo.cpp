// The engine thread formats and sends the info lines as the search reports;
// the main thread only repeats the last one before a bestmove that would
// otherwise have none of its own.
#include "shell/uciinfo.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "board/movetext.h"
#include "search/hashtable.h"
#include "search/pv.h"
#include "shell/engine.h"
#include "shell/ucilines.h"

namespace {

// Progress lines come about this often, and the root move being searched is
// named once a search has run this long.
constexpr uint32_t PROGRESS_INTERVAL_MS = 1000;
constexpr uint32_t CURRENT_MOVE_AFTER_MS = 1000;
constexpr int SCORE_TEXT = 32;

uint32_t goClock = 0;
int linesShown = 1;
int lastIterationDepth = 0;
uint32_t lastFigures = 0;  // when nodes and time were last sent
uint64_t figuresNodes = 0; // and the nodes then
// A line with a score and a principal variation since "go" or "ponderhit".
std::atomic<bool> scoredLineSent{false};

// The best line as last sent, for the end of the search and a repeat.
struct BestLine {
    bool valid;
    int depth;
    int selDepth;
    int score;
    Move move;
    char scoreText[SCORE_TEXT];
    char pv[PV_TEXT_SIZE];
};
BestLine bestLine;

uint32_t Elapsed() { return ProcessClock() - goClock; }

// " pv" and the moves of the line.
void PvMoves(char* out, const PrincipalVariation& pv) {
    char* at = out;
    at += std::sprintf(at, " pv");
    for (int i = 0; i < pv.length; ++i) {
        *at++ = ' ';
        at = MoveToText(at, pv.moves[i]);
    }
    *at = 0;
    if (pv.length == 0) *out = 0;
}

// "nodes N nps P hashfull H time T": no speed before any time has passed.
void Figures(char* out, size_t size, uint64_t nodes) {
    const uint32_t elapsed = Elapsed();
    const unsigned long long n = nodes;
    if (elapsed > 0)
        std::snprintf(out, size, "nodes %llu nps %llu hashfull %d time %u", n, n * 1000 / elapsed, HashFullPermill(),
                      elapsed);
    else
        std::snprintf(out, size, "nodes %llu hashfull %d time %u", n, HashFullPermill(), elapsed);
}

// The figures alone: between iterations, and at the end of a search whose
// last line stands.
void SendFigures(uint64_t nodes) {
    if (nodes == figuresNodes) return;
    char figures[128];
    Figures(figures, sizeof figures, nodes);
    uci::Send("info %s", figures);
    lastFigures = ProcessClock();
    figuresNodes = nodes;
}

void SendLine(int depth, int selDepth, int line, const char* score, const char* bound, uint64_t nodes,
              const char* pv) {
    char figures[128], multipv[24] = "";
    Figures(figures, sizeof figures, nodes);
    if (linesShown > 1) std::snprintf(multipv, sizeof multipv, " multipv %d", line);
    uci::Send("info depth %d seldepth %d%s score %s%s %s%s", depth, std::max(depth, selDepth), multipv, score, bound,
              figures, pv);
    lastFigures = ProcessClock();
    figuresNodes = nodes;
    if (*pv) scoredLineSent = true;
}

}  // namespace

void FormatUciScore(char* out, size_t size, int score, int matePlies) {
    if (int moves; MateMoves(score, matePlies, moves))
        std::snprintf(out, size, "mate %d", moves);
    else
        std::snprintf(out, size, "cp %d", score);
}

void UciInfo(const SearchReport& report) {
    switch (report.kind) {
    case ReportKind::PROGRESS:
        if (ProcessClock() - lastFigures >= PROGRESS_INTERVAL_MS) SendFigures(report.nodes);
        return;
    case ReportKind::CURRENT_MOVE: {
        if (Elapsed() < CURRENT_MOVE_AFTER_MS) return;
        char move[8];
        MoveToText(move, report.currentMove);
        uci::Send("info depth %d currmove %s currmovenumber %d", report.depth, move, report.currentMoveNumber);
        return;
    }
    default: break;
    }

    // A weaker level searches more lines than the front end asked to see.
    if (report.line > linesShown) return;
    char score[SCORE_TEXT], pv[PV_TEXT_SIZE];
    FormatUciScore(score, sizeof score, report.score, report.matePlies);
    PvMoves(pv, *report.pv);
    int depth = report.depth;
    const char* bound = "";
    switch (report.kind) {
    case ReportKind::FAIL_LOW: bound = " upperbound"; break;
    case ReportKind::FAIL_HIGH: bound = " lowerbound"; break;
    case ReportKind::FINAL:
        // The end repeats nothing: it is sent only when its move or score
        // is not the last line's, or no line has gone out for this answer.
        depth = lastIterationDepth > 0 ? lastIterationDepth : std::max(1, depth - 1);
        if (scoredLineSent && bestLine.valid && bestLine.score == report.score && report.pv->length > 0 &&
            bestLine.move == report.pv->moves[0]) {
            SendFigures(report.nodes);
            return;
        }
        break;
    default: break;
    }
    if (report.kind == ReportKind::ITERATION) lastIterationDepth = depth;
    // An iteration the table answered before any move was searched is kept
    // for the end rather than sent as figures of this search.
    if (report.kind == ReportKind::FINAL || report.nodes > 0)
        SendLine(depth, report.selDepth, report.line, score, bound, report.nodes, pv);
    if (report.line == 1 && *bound == 0 && *pv) {
        bestLine = {true, depth, report.selDepth, report.score, report.pv->moves[0], {}, {}};
        std::memcpy(bestLine.scoreText, score, sizeof score);
        std::memcpy(bestLine.pv, pv, sizeof pv);
    }
}

namespace uci {

void StartInfo(uint32_t clock, int lines) {
    goClock = clock;
    lastFigures = clock;
    figuresNodes = ~uint64_t{0};
    linesShown = lines;
    lastIterationDepth = 0;
    bestLine.valid = false;
    scoredLineSent = false;
}

void InfoAfterPonderHit() { scoredLineSent = false; }

void SendScoredLineIfNone() {
    if (scoredLineSent || !bestLine.valid) return;
    SendLine(bestLine.depth, bestLine.selDepth, 1, bestLine.scoreText, "", nodeCount, bestLine.pv);
}

}  // namespace uci
