// Developer benchmark of the search.
//
//   pelmot-bench [-v]                       fixed positions to fixed depths; the
//                                           node total is the search's signature
//   pelmot-bench --tactics [DEPTH] [FILE]   share of tactical positions whose
//                                           best move is found at DEPTH
//
// Thinking lines are hidden unless -v is given.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"
#include "search/search.h"
#include "shell/report.h"

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

// Runs the search; the thinking lines are shown only when verbose.
Move RunSearch(int depth, bool verbose) {
    searchReporter = verbose ? XboardThinkingLine : nullptr;
    currentPly = plyRecords;
    stopSearch = 0;
    maxDepth = depth;
    return IterativeSearch();
}

int Bench(bool verbose) {
    uint64_t totalNodes = 0;
    const auto start = std::chrono::steady_clock::now();
    int index = 0;
    for (const BenchPosition& position : BENCH) {
        ++index;
        if (!SetBoard(position.fen, false)) {
            std::printf("bad position %d: %s\n", index, position.fen);
            return 1;
        }
        const Move move = RunSearch(position.depth, verbose);
        char text[16];
        MoveToText(text, move);
        std::printf("%2d  depth %2d  %-7s %6d  %10llu  %s\n", index, position.depth, text, moveStack[0].score,
                    static_cast<unsigned long long>(nodeCount), position.what);
        std::fflush(stdout);
        totalNodes += nodeCount;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("nodes %llu\n", static_cast<unsigned long long>(totalNodes));
    std::printf("seconds %.2f\n", seconds);
    std::printf("nps %.0f\n", seconds > 0 ? totalNodes / seconds : 0.0);
    return 0;
}

// One line of the tactics file: four FEN fields, "bm", moves, ";", the rest.
bool ParseTactic(const std::string& line, std::string& fen, std::vector<std::string>& moves, std::string& id) {
    std::istringstream in(line);
    std::string field;
    for (int i = 0; i < 4; ++i) {
        if (!(in >> field)) return false;
        fen += (i ? " " : "") + field;
    }
    if (!(in >> field) || field != "bm") return false;
    while (in >> field) {
        const bool last = field.back() == ';';
        if (last) field.pop_back();
        if (!field.empty()) moves.push_back(field);
        if (last) break;
    }
    const size_t quote = line.find("id \"");
    if (quote != std::string::npos) id = line.substr(quote + 4, line.find('"', quote + 4) - quote - 4);
    return !moves.empty();
}

int Tactics(int depth, const char* fileName, bool verbose) {
    std::ifstream file(fileName);
    if (!file) {
        std::printf("cannot open %s\n", fileName);
        return 1;
    }
    int found = 0, total = 0;
    uint64_t totalNodes = 0;
    const auto start = std::chrono::steady_clock::now();
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::string fen, id;
        std::vector<std::string> moves;
        if (!ParseTactic(line, fen, moves, id) || !SetBoard(fen.c_str(), false)) {
            std::printf("bad line: %s\n", line.c_str());
            return 1;
        }
        ++total;
        const Move move = RunSearch(depth, verbose);
        totalNodes += nodeCount;
        char text[16];
        MoveToText(text, move);
        bool hit = false;
        for (const std::string& expected : moves) hit = hit || expected == text;
        found += hit;
        std::printf("%-6s %-7s (%s)  %6d  %s\n", hit ? "found" : "missed", text, moves[0].c_str(),
                    moveStack[0].score, id.c_str());
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("tactics %d of %d found at depth %d (%.0f%%), %llu nodes, %.2f seconds\n", found, total, depth,
                total ? 100.0 * found / total : 0.0, static_cast<unsigned long long>(totalNodes), seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    InitTables();
    bool verbose = false;
    bool tactics = false;
    int depth = 9;
    const char* fileName = PELMOT_TACTICS_FILE;
    bool depthSeen = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-v")) verbose = true;
        else if (!std::strcmp(argv[i], "--tactics")) tactics = true;
        else if (tactics && !depthSeen && std::atoi(argv[i]) > 0) depth = std::atoi(argv[i]), depthSeen = true;
        else if (tactics) fileName = argv[i];
        else {
            std::printf("usage: pelmot-bench [-v] | pelmot-bench [-v] --tactics [DEPTH] [FILE]\n");
            return 2;
        }
    }
    if (depth > 127) depth = 127;
    return tactics ? Tactics(depth, fileName, verbose) : Bench(verbose);
}
