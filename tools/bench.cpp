// Developer benchmark of the search.
//
//   pelmot-bench [-v|--uci]                 fixed positions to fixed depths; the
//                                           node total is the search's signature
//   pelmot-bench --tactics [DEPTH] [FILE]   share of tactical positions whose
//                                           best move is found at DEPTH
//
// Thinking lines are hidden unless -v (xboard's) or --uci (UCI's info lines,
// live figures and root moves included) is given: the bench with and
// without them gives the cost of thinking aloud.

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
#include "shell/bench.h"
#include "shell/report.h"
#include "shell/uciinfo.h"

namespace {

// Runs the search; the thinking lines are shown only when verbose.
Move RunSearch(int depth, bool verbose) {
    searchReporter = verbose ? XboardThinkingLine : nullptr;
    return SearchToDepth(depth);
}

int Bench(SearchReporter reporter) {
    const BenchTotals totals = RunBench(reporter);
    if (!totals.ok) return 1;
    std::printf("nodes %llu\n", static_cast<unsigned long long>(totals.nodes));
    std::printf("seconds %.2f\n", totals.seconds);
    std::printf("nps %.0f\n", totals.Nps());
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
    SearchReporter reporter = nullptr;
    bool tactics = false;
    int depth = 9;
    const char* fileName = PELMOT_TACTICS_FILE;
    bool depthSeen = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-v")) verbose = true, reporter = XboardThinkingLine;
        else if (!std::strcmp(argv[i], "--uci") && !tactics) reporter = UciInfo;
        else if (!std::strcmp(argv[i], "--tactics")) tactics = true;
        else if (tactics && !depthSeen && std::atoi(argv[i]) > 0) depth = std::atoi(argv[i]), depthSeen = true;
        else if (tactics) fileName = argv[i];
        else {
            std::printf("usage: pelmot-bench [-v|--uci] | pelmot-bench [-v] --tactics [DEPTH] [FILE]\n");
            return 2;
        }
    }
    if (depth > 127) depth = 127;
    return tactics ? Tactics(depth, fileName, verbose) : Bench(reporter);
}
