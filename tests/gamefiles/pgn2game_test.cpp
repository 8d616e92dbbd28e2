#include "gamefiles/gamefile.h"
#include "gamefiles/pgn2game.h"
#include "tests/gamefiles/gamefiles_helpers.h"

namespace {

using namespace gamefiles_test;

class PgnToGame : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareEngine();
        // Tests run in parallel in one folder: every file name is the test's own.
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        gameFile = test + ".game";
        storedFile = test + ".stored.pgn";
        gameName = gameFile.c_str();
        std::remove(gameName);
    }
    // Converts and returns what was printed.
    std::string Convert(const std::string& pgn, int* total = nullptr) {
        int count = 0;
        std::string out = CaptureOutput([&] { ConvertPgnFile(pgn.c_str(), gameName, count); });
        if (total) *total = count;
        return out;
    }
    // The stored games as the PGN that game2pgn writes.
    std::string StoredAsPgn() {
        std::remove(storedFile.c_str());
        CaptureOutput([&] { GameToPgn(gameName, storedFile.c_str()); });
        return ReadText(storedFile);
    }
    static bool EndsWith(const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }
    std::string gameFile, storedFile;
    const char* gameName = nullptr;
};

TEST_F(PgnToGame, EachRaisedErrorIsReportedAndKeepsEarlierGames) {
    struct Case {
        const char* file;
        const char* message;
        int stored;
    };
    const Case cases[] = {
        {"result_error_1.pgn", "Result Error 1", 0},
        {"result_error_2.pgn", "Result Error 2", 1},
        {"result_star_error.pgn", "Result * error", 0},
        {"wrong_end_result.pgn", "wrong end result 1", 0},
        {"move_not_legal_1.pgn", "MOVE NOT LEGAL 1", 1},
        {"move_not_legal_2.pgn", "MOVE NOT LEGAL 2 - check revealed", 0},
    };
    for (const Case& c : cases) {
        std::remove(gameName);
        const std::string path = DataPath(c.file);
        int total = -1;
        const std::string out = Convert(path, &total);
        EXPECT_TRUE(EndsWith(out, "converted: " + std::to_string(c.stored) + " games. (skipped: 0)\nERROR: " +
                                      c.message + " file: " + path + "\n"))
            << out;
        EXPECT_EQ(total, c.stored);
        EXPECT_EQ(CountOf(StoredAsPgn(), "[Result"), c.stored) << c.file;
        // The position is the start position again.
        EXPECT_EQ(pos.board[SQ_E2], W_PAWN);
        EXPECT_EQ(pos.sideToMove, WHITE);
    }
    // The illegal move is shown with its board and ply number.
    std::remove(gameName);
    const std::string out = Convert(DataPath("move_not_legal_1.pgn"));
    EXPECT_NE(out.find("  A B C D E F G H\n"), std::string::npos);
    EXPECT_NE(out.find("move: Ke3, plyNo:3\n"), std::string::npos);
    std::remove(gameName);
    EXPECT_NE(Convert(DataPath("move_not_legal_2.pgn")).find("move: Nd5, plyNo:7\n"), std::string::npos);
}

TEST_F(PgnToGame, SkippedGamesAreWarnedAndTheRestIsStored) {
    const std::string path = DataPath("skips.pgn");
    const std::string warn = " (skipped) file: " + path + "\n";
    int total = 0;
    EXPECT_EQ(Convert(path, &total),
              "Warning: game 1" + warn +                    // unfinished
                  "move: Zz9, plyNo:3\nWarning: game 3" + warn +  // unreadable token
                  "move: -0, plyNo:7\nWarning: game 4" + warn +   // castling with zeros
                  "Warning: game 5" + warn +                      // no moves
                  "Warning: game 6" + warn +                      // set-up position
                  "move: /2-1/2, plyNo:5\nWarning: game 8" + warn +  // foreign result token
                  "Warning: game 9" + warn +                      // duplicate
                  "move: Nf6, plyNo:3\nWarning: game 10" + warn +  // no knight reaches f6
                  "converted: 4 games. (skipped: 8)\nfile: " + path + " \t\tfinished\n");
    EXPECT_EQ(total, 4);
    EXPECT_EQ(StoredAsPgn(),
              "[Result \"1-0\"]\n1. e2e4 e7e5 2. d1h5 b8c6 3. f1c4 g8f6 4. h5f7 1-0\n"
              "[Result \"0-1\"]\n1. f2f3 e7e5 2. g2g4 d8h4 0-1\n"
              "[Result \"1/2-1/2\"]\n1. d2d4 d7d5 1/2-1/2\n"
              "[Result \"0-1\"]\n1. e2e4 e7e5 2. e1e2 e8e7 0-1\n");
}

TEST_F(PgnToGame, ASecondConversionWritesNothingAndWarnsForEveryGame) {
    const std::string path = DataPath("skips.pgn");
    Convert(path);
    const std::string before = ReadText(gameName);
    int total = -1;
    const std::string out = Convert(path, &total);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(CountOf(out, "Warning: game "), 12);
    EXPECT_TRUE(EndsWith(out, "converted: 0 games. (skipped: 12)\nfile: " + path + " \t\tfinished\n"));
    EXPECT_EQ(ReadText(gameName), before);
}

TEST_F(PgnToGame, CommentsVariationsAndGlyphsArePassedOver) {
    EXPECT_TRUE(EndsWith(Convert(DataPath("annotations.pgn")), "converted: 1 games. (skipped: 0)\nfile: " +
                                                                  DataPath("annotations.pgn") + " \t\tfinished\n"));
    const std::string pgn = StoredAsPgn();
    EXPECT_NE(pgn.find("1. e2e4 e7e5 2. g1f3 b8c6 3. f1b5 a7a6 4. b5a4 g8f6 5. e1g1 f8e7 6. f1e1 b7b5 "),
              std::string::npos);
    EXPECT_TRUE(EndsWith(pgn, "42. g3g4 f5d3 43. a6e6 1-0\n"));

    // Nested comments and variations, a tag line with a carriage return, and
    // a movetext that runs into the next tag section.
    WriteText("nested.pgn",
              "[Event \"x\"]\r\n[Result \"0-1\"]\r\n\r\n1. f3 {a {nested} comment} e5 (1... e6 (1... d6) 2. g4)"
              " 2. g4 $2 Qh4# 0-1\n"
              "[Result \"1-0\"]\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7#\n"
              "[Result \"1-0\"]\n1. d4 1-0\n");
    std::remove(gameName);
    EXPECT_TRUE(EndsWith(Convert("nested.pgn"), "converted: 3 games. (skipped: 0)\nfile: nested.pgn \t\tfinished\n"));
    EXPECT_EQ(StoredAsPgn(),
              "[Result \"0-1\"]\n1. f2f3 e7e5 2. g2g4 d8h4 0-1\n"
              "[Result \"1-0\"]\n1. e2e4 e7e5 2. d1h5 b8c6 3. f1c4 g8f6 4. h5f7 1-0\n"
              "[Result \"1-0\"]\n1. d2d4 1-0\n");
}

// Knights out and back: a game of any length.
std::string KnightDance(int plies, const char* result) {
    static const char* const moves[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    std::string text = std::string("[Result \"") + result + "\"]\n\n";
    for (int i = 0; i < plies; ++i) {
        if (i % 2 == 0) text += std::to_string(i / 2 + 1) + ". ";
        text += moves[i % 4];
        text += i % 10 == 9 ? "\n" : " ";
    }
    return text + result + "\n\n";
}

TEST_F(PgnToGame, GamesLongerThanARecordAreSkipped) {
    WriteText("long.pgn", KnightDance(1024, "1-0") + KnightDance(1023, "1/2-1/2") + KnightDance(3, "0-1"));
    EXPECT_EQ(Convert("long.pgn"), "Warning: game 1 (skipped) file: long.pgn\n"
                                   "converted: 2 games. (skipped: 1)\nfile: long.pgn \t\tfinished\n");
    std::FILE* f = std::fopen(gameName, "rb");
    GameRecord game{};
    ASSERT_TRUE(ReadGame(game, f));
    EXPECT_EQ(game.moveWords[0], 0xC000 | 1023);
    EXPECT_EQ(game.moveWords[1023], BuildMove(SQ_F3, SQ_G1, KIND_QUIET));
    ASSERT_TRUE(ReadGame(game, f));
    EXPECT_EQ(game.moveWords[0], 0x4000 | 3);
    std::fclose(f);
    EXPECT_EQ(pos.board[SQ_G1], W_KNIGHT);
    EXPECT_EQ(pos.board[SQ_G8], B_KNIGHT);
}

TEST_F(PgnToGame, ADamagedGameFileTakesNoNewGames) {
    WriteText("one.pgn", "[Result \"1-0\"]\n1. e4 1-0\n\n[Result \"1-0\"]\n1. d4 1-0\n");
    // e2e4 stored as 1-0, then a record without a result.
    WriteText(gameName, std::string("\x01\x80\x24\x0D\x01\x00\x24\x0D", 8));
    EXPECT_EQ(Convert("one.pgn"), "Warning: game 1 (skipped) file: one.pgn\n"
                                  "converted: 0 games. (skipped: 1)\nERROR: WRONG RESULT file: one.pgn\n");
    // A record cut off by the end: appending would shift every later game.
    WriteText(gameName, std::string("\x01\x80\x24\x0D\x02\x80\x24\x0D", 8));
    EXPECT_EQ(Convert("one.pgn"), "Warning: game 1 (skipped) file: one.pgn\n"
                                  "converted: 0 games. (skipped: 1)\nERROR: GAME FILE CUT OFF file: one.pgn\n");
    EXPECT_EQ(ReadText(gameName).size(), 8u);
}

TEST_F(PgnToGame, FilesThatCannotBeOpened) {
    EXPECT_EQ(Convert("missing.pgn"), "Cannot open PGN input file: 'missing.pgn'\n");
    int total = 0;
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnFile(DataPath("skips.pgn").c_str(), "no/such/dir/x.game", total); }),
              "Cannot create GAME output file: 'no/such/dir/x.game'\n");
    EXPECT_EQ(CaptureOutput([] { ConvertPgnList("missing.lst", "x.game"); }),
              "Cannot open PGN input file: 'missing.lst'\n");
    WriteText("blank.pgn", "\n\n");
    EXPECT_EQ(Convert("blank.pgn"), "converted: 0 games. (skipped: 0)\nfile: blank.pgn \t\tfinished\n");
}

TEST_F(PgnToGame, ListsConvertEveryNamedFileOnce) {
    WriteText("a.pgn", "[Result \"1-0\"]\n1. e4 1-0\n");
    WriteText("b.pgn", "[Result \"0-1\"]\n1. d4 0-1\n\n[Result \"1-0\"]\n1. e4 1-0\n");
    WriteText("games.lst", "a.pgn\nmissing.pgn\nb.pgn\n");
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnList("games.lst", gameName); }),
              "converted: 1 games. (skipped: 0)\nfile: a.pgn \t\tfinished\n"
              "Cannot open PGN input file: 'missing.pgn'\n"
              "Warning: game 2 (skipped) file: b.pgn\n"
              "converted: 1 games. (skipped: 1)\nfile: b.pgn \t\tfinished\n"
              "\nCONVERTED GAMES: 2\n");
    // A raised error ends the whole list.
    WriteText("bad.lst", DataPath("result_error_1.pgn") + "\na.pgn\n");
    const std::string out = CaptureOutput([&] { ConvertPgnList("bad.lst", gameName); });
    EXPECT_TRUE(EndsWith(out, "ERROR: Result Error 1 file: " + DataPath("result_error_1.pgn") + "\n")) << out;
}

}  // namespace
