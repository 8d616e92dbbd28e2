// Developer program: counts the leaves of the legal move tree with the
// engine's own generators and legality test, to check them against published
// counts and to measure their speed.
//
//   pelmot-perft "FEN" DEPTH   one line per root move ("e2e4: 20"), then "total N"
//   pelmot-perft --bench       fixed positions, leaves per second
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/fen.h"
#include "board/invariants.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/legality.h"

namespace {

// Unoptimised builds check that every unmake restores the position exactly
// (make and unmake check the invariants themselves in debug builds);
// optimised ones count only.
#if defined(NDEBUG) || defined(__OPTIMIZE__)
constexpr bool CHECKS = false;
#else
constexpr bool CHECKS = true;
#endif

[[noreturn]] void Fail(const char* what, Move move) {
    char text[8];
    MoveToText(text, move);
    char fen[96];
    GetFen(fen);
    std::fprintf(stderr, "perft: %s after %s in %s\n", what, text, fen);
    std::exit(2);
}

// Generates the node's list (evasions when in check) into the move stack.
ScoredMove* Generate(PlyRecord* record, ScoredMove* list) {
    ComputeCheckInfo(&record->check);
    return GenerateNodeMoves(list, &record->check);
}

uint64_t Perft(int depth, PlyRecord* record, ScoredMove* list) {
    ScoredMove* end = Generate(record, list);
    SaveSnapshot(record);
    const Colour side = pos.sideToMove;
    const Bitboard pinned = PinnedPieces(side);
    uint64_t leaves = 0;
    Position before;
    HistoryEntry* top = historyTop;
    if constexpr (CHECKS) before = pos;
    for (ScoredMove* m = list; m != end; ++m) {
        MakeMove(m->move, record);
        if (!KingAttackedAfterMove(m->move, side, record->check, pinned)) leaves += depth > 1 ? Perft(depth - 1, record + 1, end) : 1;
        UnmakeMove(m->move, record);
        if constexpr (CHECKS) {
            if (!SamePosition(before, pos) || historyTop != top) Fail("unmake did not restore the position", m->move);
        }
    }
    return leaves;
}

bool SetPosition(const char* fen) {
    FenResult parsed;
    if (!ParseFen(fen, parsed)) return false;
    CommitFen(parsed);
    return true;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int Divide(const char* fen, int depth) {
    if (!SetPosition(fen)) {
        std::fprintf(stderr, "perft: cannot read the position \"%s\"\n", fen);
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    uint64_t total = 0;
    if (depth <= 0) {
        total = 1;
    } else {
        PlyRecord* record = plyRecords;
        ScoredMove* end = Generate(record, moveStack);
        SaveSnapshot(record);
        const Colour side = pos.sideToMove;
        for (ScoredMove* m = moveStack; m != end; ++m) {
            MakeMove(m->move, record);
            if (!KingAttackedAfterMove(m->move, side)) {
                const uint64_t leaves = depth > 1 ? Perft(depth - 1, record + 1, end) : 1;
                char text[8];
                MoveToText(text, m->move);
                std::printf("%s: %llu\n", text, static_cast<unsigned long long>(leaves));
                total += leaves;
            }
            UnmakeMove(m->move, record);
        }
    }
    const double seconds = Seconds(start);
    std::printf("total %llu\n", static_cast<unsigned long long>(total));
    std::fprintf(stderr, "%.3f s, %.0f leaves/s%s\n", seconds, seconds > 0 ? total / seconds : 0.0,
                 CHECKS ? " (checked build)" : "");
    return 0;
}

struct BenchPosition {
    const char* name;
    const char* fen;
    int depth;
    uint64_t leaves;
};

constexpr BenchPosition BENCH[] = {
    {"start", START_FEN, 5, 4865609},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603},
    {"position 3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 6, 11030083},
    {"position 4", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 5, 15833292},
    {"position 4 mirrored", "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -", 4, 422333},
    {"position 5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", 4, 2103487},
    {"position 6", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 4, 3894594},
};

int Bench() {
    uint64_t total = 0;
    double seconds = 0;
    bool allRight = true;
    for (const BenchPosition& b : BENCH) {
        SetPosition(b.fen);
        const auto start = std::chrono::steady_clock::now();
        const uint64_t leaves = Perft(b.depth, plyRecords, moveStack);
        const double took = Seconds(start);
        total += leaves;
        seconds += took;
        const bool right = leaves == b.leaves;
        allRight = allRight && right;
        std::printf("%-20s depth %d  %11llu leaves  %7.3f s  %s\n", b.name, b.depth,
                    static_cast<unsigned long long>(leaves), took, right ? "ok" : "WRONG");
    }
    std::printf("total %llu leaves in %.3f s: %.0f leaves per second%s\n", static_cast<unsigned long long>(total),
                seconds, total / seconds, CHECKS ? " (checked build)" : "");
    return allRight ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    InitTables();
    if (argc == 2 && std::strcmp(argv[1], "--bench") == 0) return Bench();
    if (argc != 3) {
        std::fprintf(stderr, "usage: pelmot-perft \"FEN\" DEPTH\n       pelmot-perft --bench\n");
        return 1;
    }
    char* rest = nullptr;
    const long depth = std::strtol(argv[2], &rest, 10);
    if (*rest != 0 || depth < 0 || depth > 20) {
        std::fprintf(stderr, "perft: bad depth \"%s\"\n", argv[2]);
        return 1;
    }
    return Divide(argv[1], static_cast<int>(depth));
}
