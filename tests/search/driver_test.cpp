// The iterative-deepening driver and the root search: results, thinking
// lines, resumption from the table, draws at the root and stopping.
#include <chrono>
#include <regex>
#include <thread>

#include "board/keys.h"
#include "search/hashtable.h"
#include "search_fixture.h"

namespace {

using DriverTest = SearchTest;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

constexpr Move E2E4 = BuildMove(SQ_E2, SQ_E4, KIND_QUIET);

// A thinking line: depth, score in centipawns, time in centiseconds, nodes
// and the line's text.
const std::regex THINKING(R"(    (\d+)     (-?\d+)     (\d+)     (\d+)  (.*))");

TEST_F(DriverTest, ResumesFromAnExactTableEntryAtItsDepth) {
    Setup(START_FEN);
    StoreHash(9, BOUND_EXACT, 40, E2E4);
    std::string out;
    const Move move = SearchQuietly(9, &out);
    // Iteration 9 is answered by the table entry inside the window (10, 70):
    // no move is searched and iterations 2 to 8 never run. The end shows
    // the depth limit that ended the search.
    EXPECT_EQ(move, E2E4);
    EXPECT_EQ(moveStack[0].score, 40);
    EXPECT_EQ(nodeCount, 0u);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, THINKING)) << line;
        EXPECT_EQ(m[1], "9");
        EXPECT_EQ(m[2], "40");
        EXPECT_EQ(m[4], "0");
        EXPECT_EQ(m[5].str().rfind("e2e4 ", 0), 0u) << line;
    }
}

TEST_F(DriverTest, PrintsCentipawnsAndMatesInTheProtocolsUnits) {
    for (const int score : {35, -120, 0, 7}) {
        Setup(START_FEN);
        StoreHash(9, BOUND_EXACT, score, E2E4);
        std::string out;
        SearchQuietly(9, &out);
        std::smatch m;
        const std::string first = Lines(out).at(0);
        ASSERT_TRUE(std::regex_match(first, m, THINKING)) << out;
        EXPECT_EQ(m[2], std::to_string(score));
    }
    // Mates are 100000 and the moves to the mate, for the side to move.
    Setup("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -");
    std::string out;
    SearchQuietly(20, &out);
    EXPECT_EQ(Lines(out).at(0), "    2     100001     0     " + std::to_string(nodeCount) + "  d1d8 # ");
}

TEST_F(DriverTest, PrintsThinkingLinesFromIterationSeven) {
    Setup("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -");
    std::string out;
    SearchQuietly(7, &out);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    const std::regex line7(R"(    7     -?\d+     \d+     [1-9]\d*  ([a-h][1-8][a-h][1-8][qrbn]? )+(NOE |# )?)");
    EXPECT_TRUE(std::regex_match(lines[0], line7)) << lines[0];
    // The closing line shows the depth limit that ended the search.
    EXPECT_EQ(lines[1].rfind("    7     ", 0), 0u) << lines[1];
}

TEST_F(DriverTest, PrintsEarlyIterationsOnlyForMates) {
    Setup("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -");
    std::string out;
    const Move move = SearchQuietly(20, &out);
    EXPECT_EQ(Text(move), "d1d8");
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    EXPECT_EQ(lines[1].rfind("    2     100001     ", 0), 0u) << lines[1];
}

struct MateCase {
    const char* fen;
    const char* move;
    int score;
};

TEST_F(DriverTest, FindsMatesInOneTwoAndThreeWithTheirScores) {
    const MateCase cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8", 8099},
        {"3r2k1/8/8/8/8/8/5PPP/6K1 b - -", "d8d1", 8099},
        {"4kb1r/p2n1ppp/4q3/4p1B1/4P3/1Q6/PPP2PPP/2KR4 w k -", "b3b8", 8097},
        {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq -", "d5f6", 8097},
        {"rnb1kb1r/pp3ppp/2p5/4q3/4n3/3Q4/PPPB1PPP/2KR1BNR w kq -", "d3d8", 8095},
        {"r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq -", "f8c5", 8095},
    };
    for (const MateCase& c : cases) {
        Setup(c.fen);
        const Move move = SearchQuietly(12);
        EXPECT_EQ(Text(move), c.move) << c.fen;
        EXPECT_EQ(moveStack[0].score, c.score) << c.fen;
        EXPECT_EQ(moveStack[0].move, move);
        EXPECT_EQ(currentPly, plyRecords);
    }
}

TEST_F(DriverTest, ReportsMateAndStalemateAtTheRoot) {
    // Mated: every root move is illegal, and the re-searches after the fail
    // low must not try to make the mate code left in the root list.
    Setup("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -");
    std::string out;
    EXPECT_EQ(SearchQuietly(10, &out), MOVE_MATE);
    EXPECT_EQ(moveStack[0].score, -8100);
    EXPECT_NE(out.find("    2     -100000     "), std::string::npos) << out;

    Setup("7k/5Q2/6K1/8/8/8/8/8 b - -");
    EXPECT_EQ(SearchQuietly(10), MOVE_STALEMATE);
    EXPECT_EQ(moveStack[0].score, 0);
}

TEST_F(DriverTest, MatesIntoAPositionTheTableHoldsAsMated) {
    // After a mated root was searched and its position taken back, the mate
    // is read from the table one ply short (8100): the re-search after the
    // fail high must still get a window with room above alpha (debug builds
    // check every node's window).
    Setup("rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq -");
    const Move mate = BuildMove(SQ_D8, SQ_H4, KIND_QUIET);
    PlyRecord* const record = currentPly;
    SaveSnapshot(record);
    MakeMove(mate, record);
    StoreHash(2, BOUND_EXACT, MatedAtPly(0), MOVE_MATE);  // as the mated root stores it
    UnmakeMove(mate, record);
    EXPECT_EQ(SearchQuietly(10), mate);
    EXPECT_GE(moveStack[0].score, MATE_SCORE - 1);
    EXPECT_EQ(currentPly, plyRecords);
    // The next search resumes from the root's own entry, a bound on that
    // edge: its first window must not be empty either.
    EXPECT_EQ(SearchQuietly(10), mate);
    EXPECT_EQ(currentPly, plyRecords);
}

TEST_F(DriverTest, ResumesFromBoundsOnTheEdgeOfTheScale) {
    // Bounds at the ends of the root's window leave the first window room
    // inside it (debug builds check every node's window).
    for (const auto& [bound, score] : {std::pair{BOUND_LOWER, MATE_SCORE}, std::pair{BOUND_UPPER, -MATE_SCORE},
                                       std::pair{BOUND_LOWER, MATE_SCORE - 1}, std::pair{BOUND_UPPER, 1 - MATE_SCORE}}) {
        Setup(START_FEN);
        StoreHash(4, bound, score, E2E4);
        EXPECT_NE(SearchQuietly(3), MOVE_NONE) << bound << " " << score;
        EXPECT_EQ(currentPly, plyRecords);
    }
}

TEST_F(DriverTest, ReturnsDrawCodesWithoutSearching) {
    Setup("8/8/4k3/8/8/3BK3/8/8 w - -");
    std::string out;
    EXPECT_EQ(SearchQuietly(10, &out), MOVE_NO_MATERIAL);
    EXPECT_EQ(moveStack[0].score, 0);
    EXPECT_TRUE(out.empty()) << out;

    // Knights out and back twice: the start position stands for the third time.
    Setup(START_FEN);
    const Move cycle[] = {BuildMove(SQ_G1, SQ_F3, KIND_QUIET), BuildMove(SQ_G8, SQ_F6, KIND_QUIET),
                          BuildMove(SQ_F3, SQ_G1, KIND_QUIET), BuildMove(SQ_F6, SQ_G8, KIND_QUIET)};
    for (int round = 0; round < 2; ++round)
        for (Move m : cycle) MakeMove(m, currentPly);
    EXPECT_EQ(SearchQuietly(10, &out), MOVE_REPETITION);
    EXPECT_EQ(moveStack[0].score, 0);
    EXPECT_TRUE(out.empty()) << out;
}

TEST_F(DriverTest, AStopKeepsTheLastFinishedIteration) {
    const char* fen = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -";
    Setup(fen);
    const Move atTwo = SearchQuietly(2);
    const int scoreAtTwo = moveStack[0].score;

    // Stop already requested: iteration 2 still runs to its end, iteration 3
    // returns after its first root move and is discarded.
    Setup(fen);
    stopSearch = 1;
    std::string out;
    EXPECT_EQ(SearchQuietly(127, &out), atTwo);
    EXPECT_EQ(moveStack[0].score, scoreAtTwo);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 1u) << out;
    EXPECT_EQ(lines[0].rfind("    3     ", 0), 0u) << lines[0];
}

TEST_F(DriverTest, StopsARunningSearchFromAnotherThread) {
    Setup("r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2N1PN2/PP1BBPPP/R2QK2R w KQ -");
    ::testing::internal::CaptureStdout();
    Move move = MOVE_NONE;
    searchLimits = SearchLimits{};
    currentPly = plyRecords;
    std::thread engine([&] { move = IterativeSearch(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto stopAt = std::chrono::steady_clock::now();
    stopSearch = 1;
    engine.join();
    ::testing::internal::GetCapturedStdout();
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, std::chrono::seconds(2));
    EXPECT_FALSE(IsSpecialMove(move));
    EXPECT_NE(move, MOVE_NONE);
    EXPECT_EQ(moveStack[0].move, move);
    EXPECT_EQ(currentPly, plyRecords);
}

TEST_F(DriverTest, IsDeterministic) {
    const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    Setup(fen);
    const Move first = SearchQuietly(6);
    const uint32_t nodes = nodeCount;
    const int score = moveStack[0].score;
    Setup(fen);
    EXPECT_EQ(SearchQuietly(6), first);
    EXPECT_EQ(nodeCount, nodes);
    EXPECT_EQ(moveStack[0].score, score);
}

}  // namespace
