#include "shell/bench.h"

#include <chrono>
#include <cstdio>

#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"
#include "search/search.h"
#include "shell/engine.h"

namespace {

struct BenchPosition {
    const char* fen;
    int depth;
    const char* what;
};

// Varied on purpose: openings, middlegames, endgames, positions in check and
// promotions, so that every part of the search contributes to the count.
constexpr BenchPosition BENCH[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 11, "start position"},
    {"r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -", 10, "two knights"},
    {"r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2N1PN2/PP1BBPPP/R2QK2R w KQ -", 9, "queen's gambit middlegame"},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 8, "tactical middlegame"},
    {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - -", 8, "attack on the king"},
    {"r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq -", 9, "open game"},
    {"4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - -", 9, "heavy pieces"},
    {"rnbqk1nr/pppp1ppp/8/4p3/1b1PP3/8/PPP2PPP/RNBQKBNR w KQkq -", 9, "in check"},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 12, "rook endgame"},
    {"8/8/1KP5/3r4/8/8/8/k7 w - -", 14, "promotion race"},
    {"8/P5k1/8/8/8/8/5K2/8 w - -", 11, "pawn promotes"},
    {"6k1/5p2/6p1/8/7p/8/6PP/6K1 b - -", 15, "pawn endgame"},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 8, "promotions and checks"},
};

#ifdef PELMOT_FUZZ
// A fuzzing run plays many sessions a second: its bench is shallow.
constexpr int FUZZ_BENCH_DEPTH = 2;
#endif

}  // namespace

Move SearchToDepth(int depth) {
    currentPly = plyRecords;
    stopSearch = 0;
    searchLimits = SearchLimits{};
    searchLimits.depth = depth;
    searchBegan = ProcessClock();
    return IterativeSearch();
}

BenchTotals RunBench(SearchReporter reporter) {
    const SearchReporter protocolReporter = searchReporter;
    searchReporter = reporter;
    BenchTotals totals{0, 0.0, true};
    const auto start = std::chrono::steady_clock::now();
    int index = 0;
    for (const BenchPosition& position : BENCH) {
        ++index;
        if (!SetBoard(position.fen, false)) {
            std::printf("bad position %d: %s\n", index, position.fen);
            totals.ok = false;
            break;
        }
#ifdef PELMOT_FUZZ
        const Move move = SearchToDepth(FUZZ_BENCH_DEPTH);
#else
        const Move move = SearchToDepth(position.depth);
#endif
        char text[16];
        MoveToText(text, move);
        std::printf("%2d  depth %2d  %-7s %6d  %10llu  %s\n", index, position.depth, text, moveStack[0].score,
                    static_cast<unsigned long long>(nodeCount), position.what);
        std::fflush(stdout);
        totals.nodes += nodeCount;
    }
    totals.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    searchLimits = SearchLimits{};
    searchReporter = protocolReporter;
    return totals;
}

int BenchCommand() {
    InitTables();
    const BenchTotals totals = RunBench();
    if (!totals.ok) return 1;
    std::printf("%llu nodes %.0f nps\n", static_cast<unsigned long long>(totals.nodes), totals.Nps());
    return 0;
}
