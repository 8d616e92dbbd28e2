#include <cstring>
#include <filesystem>

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
    // Converts and returns what was printed; converted tells the outcome.
    std::string Convert(const std::string& pgn, int* total = nullptr) {
        int count = 0;
        std::string out = CaptureOutput([&] { converted = ConvertPgnFile(pgn.c_str(), gameName, count); });
        if (total) *total = count;
        return out;
    }
    // The stored games as the PGN that game2pgn writes.
    std::string StoredAsPgn() {
        std::remove(storedFile.c_str());
        CaptureOutput([&] { GameToPgn(gameName, storedFile.c_str()); });
        return ReadText(storedFile);
    }
    // The GAME bytes of a PGN text converted on its own, and what was printed.
    std::string GameBytesOf(const std::string& pgn, std::string* out = nullptr) {
        const std::string pgnName = gameFile + ".pgn";
        WriteText(pgnName, pgn);
        std::remove(gameName);
        const std::string printed = Convert(pgnName);
        if (out) *out = printed;
        return ReadText(gameFile);
    }
    // The last lines of a conversion of the test's own PGN file.
    std::string Finished(int converted, int skipped) const {
        return "converted: " + std::to_string(converted) + " games. (skipped: " + std::to_string(skipped) +
               ")\nfile: " + gameFile + ".pgn \t\tfinished\n";
    }
    std::string Warning(int game, const std::string& reason) const {
        return "Warning: game " + std::to_string(game) + " (skipped) file: " + gameFile + ".pgn\nReason: " + reason +
               "\n";
    }
    static bool EndsWith(const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }
    std::string gameFile, storedFile;
    const char* gameName = nullptr;
    bool converted = false;
};

TEST_F(PgnToGame, AFaultOfOneGameCostsThatGameOnly) {
    // Each bad game between good ones: a warning and its reason, and the
    // conversion reads on.
    const std::string path = DataPath("faults.pgn");
    auto skipped = [&](int game, const std::string& reason) {
        return "Warning: game " + std::to_string(game) + " (skipped) file: " + path + "\nReason: " + reason + "\n";
    };
    int total = 0;
    EXPECT_EQ(Convert(path, &total),
              skipped(2, "MOVE NOT LEGAL 1 at ply 3: Ke3 (game at line 6)") +
                  skipped(4, "MOVE NOT LEGAL 2 - check revealed at ply 7: Nd5 (game at line 16)") +
                  skipped(6, "Result Error 2 (game at line 26)") +
                  skipped(7, "Result Error 1: 1/2 (game at line 31)") +
                  skipped(9, "Result * error (game at line 41)") +
                  skipped(10, "wrong end result 1: 1-1 (game at line 46)") +
                  skipped(11, "wrong end result 1: 0-1 (game at line 51)") +
                  skipped(13, "Result Error 1 (game at line 61)") +  // a tag section without quotes
                  skipped(15, "Result Error 2 (game at line 71)") +  // no tag section at all
                  skipped(17, "comment not closed (game at line 78)") +
                  skipped(19, "variation not closed (game at line 89)") +
                  "converted: 9 games. (skipped: 11)\nfile: " + path + " \t\tfinished\n");
    EXPECT_TRUE(converted);
    EXPECT_EQ(total, 9);
    EXPECT_EQ(StoredAsPgn(),
              "[Result \"0-1\"]\n1. f2f3 e7e5 2. g2g4 d8h4 0-1\n"
              "[Result \"1-0\"]\n1. e2e4 e7e5 2. d1h5 b8c6 3. f1c4 g8f6 4. h5f7 1-0\n"
              "[Result \"1/2-1/2\"]\n1. d2d4 d7d5 1/2-1/2\n"
              "[Result \"0-1\"]\n1. c2c4 c7c5 0-1\n"
              "[Result \"1-0\"]\n1. g1f3 g8f6 1-0\n"
              "[Result \"1/2-1/2\"]\n1. e2e4 c7c5 1/2-1/2\n"
              "[Result \"0-1\"]\n1. d2d4 g8f6 0-1\n"
              "[Result \"1-0\"]\n1. e2e4 e7e6 1-0\n"
              "[Result \"0-1\"]\n1. e2e4 d7d5 0-1\n");
    // The position is the start position again.
    EXPECT_EQ(pos.board[SQ_E2], W_PAWN);
    EXPECT_EQ(pos.sideToMove, WHITE);
}

TEST_F(PgnToGame, VariantsAndNullMovesAreSkippedAndEnPassantMarksRead) {
    const std::string path = DataPath("variants.pgn");
    const std::string warn = " (skipped) file: " + path + "\nReason: ";
    EXPECT_EQ(Convert(path), "Warning: game 1" + warn + "variant game: Atomic (game at line 1)\n" +
                                 "Warning: game 2" + warn + "variant game: crazyhouse (game at line 7)\n" +
                                 "Warning: game 3" + warn + "variant game: Chess960 (game at line 13)\n" +
                                 "Warning: game 7" + warn + "set-up position (game at line 40)\n" +
                                 "Warning: game 10" + warn + "null move at ply 2: -- (game at line 58)\n" +
                                 "Warning: game 11" + warn + "null move at ply 3: Z0 (game at line 63)\n" +
                                 "converted: 5 games. (skipped: 6)\nfile: " + path + " \t\tfinished\n");
    // "ep" and "e.p.", joined to the capture or apart, in SAN and in
    // coordinates; Black's capture as well as White's.
    EXPECT_EQ(StoredAsPgn(),
              "[Result \"1-0\"]\n1. e2e4 a7a6 2. e4e5 d7d5 3. e5d6 1-0\n"
              "[Result \"0-1\"]\n1. e2e4 a7a6 2. e4e5 d7d5 3. e5d6 0-1\n"
              "[Result \"1/2-1/2\"]\n1. e2e4 a7a6 2. e4e5 d7d5 3. e5d6 1/2-1/2\n"
              "[Result \"1-0\"]\n1. e2e4 a7a6 2. e4e5 d7d5 3. e5d6 e7e6 1-0\n"
              "[Result \"1-0\"]\n1. a2a3 e7e5 2. a3a4 e5e4 3. d2d4 e4d3 1-0\n");
}

TEST_F(PgnToGame, SkippedGamesAreWarnedAndTheRestIsStored) {
    const std::string path = DataPath("skips.pgn");
    const std::string warn = " (skipped) file: " + path + "\nReason: ";
    int total = 0;
    EXPECT_EQ(Convert(path, &total),
              "Warning: game 1" + warn + "unfinished game (game at line 1)\n" +
                  "Warning: game 3" + warn + "move not recognised at ply 3: Zz9 (game at line 11)\n" +
                  "Warning: game 5" + warn + "no moves (game at line 21)\n" +
                  "Warning: game 6" + warn + "set-up position (game at line 26)\n" +
                  "Warning: game 8" + warn + "wrong end result 1: 1/2-1/2 (game at line 40)\n" +
                  "Warning: game 9" + warn + "duplicate of a stored game (game at line 45)\n" +
                  "Warning: game 10" + warn + "move not recognised at ply 3: Nf6 (game at line 50)\n" +
                  "Warning: game 12" + warn + "no result token (game at line 60)\n" +
                  "converted: 5 games. (skipped: 8)\nfile: " + path + " \t\tfinished\n");
    EXPECT_EQ(total, 5);
    EXPECT_EQ(StoredAsPgn(),
              "[Result \"1-0\"]\n1. e2e4 e7e5 2. d1h5 b8c6 3. f1c4 g8f6 4. h5f7 1-0\n"
              "[Result \"1-0\"]\n1. e2e4 e7e5 2. g1f3 b8c6 3. f1c4 f8c5 4. e1g1 g8f6 1-0\n"
              "[Result \"0-1\"]\n1. f2f3 e7e5 2. g2g4 d8h4 0-1\n"
              "[Result \"1/2-1/2\"]\n1. d2d4 d7d5 1/2-1/2\n"
              "[Result \"0-1\"]\n1. c2c4 c7c5 0-1\n");
}

TEST_F(PgnToGame, ASecondConversionWritesNothingAndWarnsForEveryGame) {
    const std::string path = DataPath("skips.pgn");
    Convert(path);
    const std::string before = ReadText(gameName);
    int total = -1;
    const std::string out = Convert(path, &total);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(CountOf(out, "Warning: game "), 13);
    EXPECT_TRUE(EndsWith(out, "converted: 0 games. (skipped: 13)\nfile: " + path + " \t\tfinished\n"));
    EXPECT_EQ(ReadText(gameName), before);
}

TEST_F(PgnToGame, CommentsVariationsAndGlyphsArePassedOver) {
    EXPECT_TRUE(EndsWith(Convert(DataPath("annotations.pgn")), "converted: 1 games. (skipped: 0)\nfile: " +
                                                                  DataPath("annotations.pgn") + " \t\tfinished\n"));
    const std::string pgn = StoredAsPgn();
    EXPECT_NE(pgn.find("1. e2e4 e7e5 2. g1f3 b8c6 3. f1b5 a7a6 4. b5a4 g8f6 5. e1g1 f8e7 6. f1e1 b7b5 "),
              std::string::npos);
    EXPECT_TRUE(EndsWith(pgn, "42. g3g4 f5d3 43. a6e6 1-0\n"));

    // Nested comments and variations, comments inside a variation, a tag
    // line with a carriage return, and a comment after a result.
    WriteText("nested.pgn",
              "[Event \"x\"]\r\n[Result \"0-1\"]\r\n\r\n1. f3 {a {nested} comment} e5 (1... e6 (1... d6) 2. g4)"
              " 2. g4 (2. d4 {a ) in a comment} ; and ( here\n 2... d5) $2 Qh4# 0-1 {after the result}\n"
              "[Result \"1-0\"]\n1. d4 1-0\n");
    std::remove(gameName);
    EXPECT_TRUE(EndsWith(Convert("nested.pgn"), "converted: 2 games. (skipped: 0)\nfile: nested.pgn \t\tfinished\n"));
    EXPECT_EQ(StoredAsPgn(),
              "[Result \"0-1\"]\n1. f2f3 e7e5 2. g2g4 d8h4 0-1\n"
              "[Result \"1-0\"]\n1. d2d4 1-0\n");
}

TEST_F(PgnToGame, TheNotationsOfRealCollectionsGiveTheSameGames) {
    // A game won by Black with castling on both sides, en passant, captures
    // by pawns and a promotion with capture; a draw with long castling.
    const std::string san =
        "[Event \"e\"]\n[Result \"0-1\"]\n\n1. e4 Nf6 2. e5 d5 3. exd6 Qxd6 4. b4 Nc6 5. b5 e5 6. bxc6 Be7 "
        "7. cxb7 O-O 8. bxc8=Q Raxc8 9. Nf3 e4 10. Be2 exf3 11. O-O fxe2 12. Qxe2 Qxh2+ 0-1\n\n"
        "[Result \"1/2-1/2\"]\n\n1. d4 d5 2. Nc3 Nc6 3. Bf4 Bf5 4. Qd2 Qd7 5. O-O-O O-O-O 1/2-1/2\n";
    std::string printed;
    const std::string expected = GameBytesOf(san, &printed);
    ASSERT_EQ(printed, Finished(2, 0));
    ASSERT_EQ(expected.size(), 2u * (1 + 24) + 2u * (1 + 10));

    const std::string longAlgebraic =
        "[Event \"e\"]\n[Result \"0-1\"]\n\n1. e2-e4 Ng8-f6 2. e4-e5 d7-d5 3. e5xd6 Qd8xd6 4. b2-b4 Nb8-c6 "
        "5. b4-b5 e7-e5 6. b5xc6 Bf8-e7 7. c6xb7 O-O 8. b7xc8=Q Ra8xc8 9. Ng1-f3 e5-e4 10. Bf1-e2 e4xf3 "
        "11. O-O f3xe2 12. Qd1xe2 Qd6xh2+ 0-1\n\n"
        "[Result \"1/2-1/2\"]\n\n1. d2-d4 d7-d5 2. Nb1-c3 Nb8-c6 3. Bc1-f4 Bc8-f5 4. Qd1-d2 Qd8-d7 5. O-O-O "
        "O-O-O 1/2-1/2\n";
    const std::string coordinates =
        "[Event \"e\"]\n[Result \"0-1\"]\n\n1. e2e4 g8f6 2. e4e5 d7d5 3. e5d6 d8d6 4. b2b4 b8c6 5. b4b5 e7e5 "
        "6. b5c6 f8e7 7. c6b7 e8g8 8. b7c8Q a8c8 9. g1f3 e5e4 10. f1e2 e4f3 11. e1g1 f3e2 12. d1e2 d6h2 0-1\n\n"
        "[Result \"1/2-1/2\"]\n\n1. d2d4 d7d5 2. b1c3 b8c6 3. c1f4 c8f5 4. d1d2 d8d7 5. e1c1 e8c8 1/2-1/2\n";
    auto replace = [](std::string text, const std::string& from, const std::string& to) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    };
    const std::string crlf = replace(san, "\n", "\r\n");
    const std::string zeros = replace(replace(san, "O-O-O", "0-0-0"), "O-O ", "0-0 ");
    const std::string semicolons = replace(san, "\n", " ; a comment to the line end { ( 1-0 Zz9\n");
    const std::string layout =
        "% an escape line [Result \"1-0\"]\n[Event \"a ] in a value\"] [Site \"\\\"quoted\\\"\"] [Result \"0-1\"]\n"
        "% 1. f3 e5 0-1\n" + san.substr(san.find("1. e4")) + "\x1a\x1a";
    for (const std::string* text : {&longAlgebraic, &coordinates, &crlf, &zeros, &semicolons, &layout}) {
        EXPECT_EQ(GameBytesOf(*text, &printed), expected) << *text;
        EXPECT_EQ(printed, Finished(2, 0)) << *text;
    }
}

TEST_F(PgnToGame, AGameWithoutItsResultTokenIsNotStored) {
    const std::string game = "[Event \"e\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 1-0\n";
    // Cut off by the end of the file: after a move, after a move number,
    // in a comment, after the tags.
    std::string printed;
    for (const char* end : {"Nf6", "Bb5 ", "4."}) {
        EXPECT_EQ(GameBytesOf(game.substr(0, game.find(end) + std::strlen(end)), &printed), "") << end;
        EXPECT_EQ(printed, Warning(1, "no result token (game at line 1)") + Finished(0, 1)) << end;
    }
    EXPECT_EQ(GameBytesOf(game.substr(0, game.find("\n\n")), &printed), "");
    EXPECT_EQ(printed, Warning(1, "no moves (game at line 1)") + Finished(0, 1));
    EXPECT_EQ(GameBytesOf(game.substr(0, game.find(" 4.")) + " {a comment", &printed), "");
    EXPECT_EQ(printed, Warning(1, "comment not closed (game at line 1)") + Finished(0, 1));
    // Ended by the next game's tags; a game ending in "*".
    const std::string bytes = GameBytesOf("[Result \"0-1\"]\n1. d4 d5\n" + game +
                                              "[Result \"*\"]\n1. c4 *\n[Result \"0-1\"]\n1. d4 d5 0-1\n",
                                          &printed);
    EXPECT_EQ(printed, Warning(1, "no result token (game at line 1)") +
                           Warning(3, "unfinished game (game at line 7)") + Finished(2, 2));
    EXPECT_EQ(bytes.size(), 2u * (1 + 8) + 2u * (1 + 2));
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
                                   "Reason: more plies than a record holds (game at line 1)\n"
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

TEST_F(PgnToGame, TheMoveAfterTheLastPlyARecordHoldsIsNotRead) {
    // 1023 plies fill the position history; at ply 1024 "Nd7" names two
    // knights, and reading it would try both moves one entry past the history.
    std::string text = "[Result \"1-0\"]\n1. d4 d5 2. Nf3 Nf6 3. e3 e6 ";
    static const char* const cycle[] = {"Ng1", "Ng8", "Nf3", "Nf6"};
    for (int ply = 7; ply <= 1023; ++ply) text += cycle[(ply - 7) % 4] + std::string(" ");
    text += "Nd7 1-0\n[Result \"0-1\"]\n1. e4 0-1\n";
    const HistoryEntry* top = historyTop;
    std::string printed;
    const std::string bytes = GameBytesOf(text, &printed);
    EXPECT_EQ(printed, Warning(1, "more plies than a record holds (game at line 1)") + Finished(1, 1));
    EXPECT_EQ(bytes.size(), 4u);
    EXPECT_EQ(historyTop, top);
    EXPECT_EQ(pos.board[SQ_D7], B_PAWN);
}

TEST_F(PgnToGame, ADamagedGameFileTakesNoNewGames) {
    WriteText("one.pgn", "[Result \"1-0\"]\n1. e4 1-0\n\n[Result \"1-0\"]\n1. d4 1-0\n");
    // e2e4 stored as 1-0, then a record without a result.
    WriteText(gameName, std::string("\x01\x80\x24\x0D\x01\x00\x24\x0D", 8));
    EXPECT_EQ(Convert("one.pgn"), "Warning: game 1 (skipped) file: one.pgn\n"
                                  "Reason: duplicate of a stored game (game at line 1)\n"
                                  "converted: 0 games. (skipped: 1)\nERROR: WRONG RESULT file: one.pgn\n");
    EXPECT_FALSE(converted);
    // A record cut off by the end: appending would shift every later game.
    WriteText(gameName, std::string("\x01\x80\x24\x0D\x02\x80\x24\x0D", 8));
    EXPECT_EQ(Convert("one.pgn"), "Warning: game 1 (skipped) file: one.pgn\n"
                                  "Reason: duplicate of a stored game (game at line 1)\n"
                                  "converted: 0 games. (skipped: 1)\nERROR: GAME FILE CUT OFF file: one.pgn\n");
    EXPECT_EQ(ReadText(gameName).size(), 8u);
}

TEST_F(PgnToGame, FilesThatCannotBeOpened) {
    EXPECT_EQ(Convert("missing.pgn"), "Cannot open PGN input file: 'missing.pgn'\n");
    EXPECT_FALSE(converted);
    int total = 0;
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnFile(DataPath("skips.pgn").c_str(), "no/such/dir/x.game", total); }),
              "Cannot create GAME output file: 'no/such/dir/x.game'\n");
    EXPECT_EQ(CaptureOutput([] { ConvertPgnList("missing.lst", "x.game"); }),
              "Cannot open PGN input file: 'missing.lst'\n");
    WriteText("blank.pgn", "\n\n");
    EXPECT_EQ(Convert("blank.pgn"), "converted: 0 games. (skipped: 0)\nfile: blank.pgn \t\tfinished\n");
    EXPECT_TRUE(converted);
    // A folder is no PGN file, nor a list.
    std::filesystem::create_directories("folder.pgn");
    EXPECT_EQ(Convert("folder.pgn"), "Cannot open PGN input file: 'folder.pgn'\n");
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnList("folder.pgn", gameName); }),
              "Cannot open PGN input file: 'folder.pgn'\n");
}

TEST_F(PgnToGame, AFileIsNeverBothInputAndOutput) {
    const std::string pgn = gameFile + ".pgn";
    const std::string text = "[Result \"1-0\"]\n1. e4 1-0\n";
    WriteText(pgn, text);
    std::filesystem::remove(gameFile + ".link");
    std::filesystem::create_symlink(pgn, gameFile + ".link");
    int total = 0;
    for (const std::string& output : {pgn, gameFile + ".link", "./" + pgn}) {
        EXPECT_EQ(CaptureOutput([&] { ConvertPgnFile(pgn.c_str(), output.c_str(), total); }),
                  "Input and output are the same file: '" + output + "'\n");
        EXPECT_EQ(ReadText(pgn), text);
    }
    // In a list: the list itself, and a named file.
    WriteText(gameFile + ".lst", pgn + "\n");
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnList((gameFile + ".lst").c_str(), (gameFile + ".lst").c_str()); }),
              "Input and output are the same file: '" + gameFile + ".lst'\n");
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnList((gameFile + ".lst").c_str(), pgn.c_str()); }),
              "Input and output are the same file: '" + pgn + "'\n\nCONVERTED GAMES: 0\n");
    EXPECT_EQ(ReadText(pgn), text);
    EXPECT_EQ(total, 0);
}

TEST_F(PgnToGame, ListsConvertEveryNamedFileOnce) {
    WriteText("a.pgn", "[Result \"1-0\"]\n1. e4 1-0\n");
    WriteText("b.pgn", "[Result \"0-1\"]\n1. d4 0-1\n\n[Result \"1-0\"]\n1. e4 1-0\n");
    WriteText("games.lst", "a.pgn\nmissing.pgn\nb.pgn\n");
    bool all = true;
    EXPECT_EQ(CaptureOutput([&] { all = ConvertPgnList("games.lst", gameName); }),
              "converted: 1 games. (skipped: 0)\nfile: a.pgn \t\tfinished\n"
              "Cannot open PGN input file: 'missing.pgn'\n"
              "Warning: game 2 (skipped) file: b.pgn\n"
              "Reason: duplicate of a stored game (game at line 4)\n"
              "converted: 1 games. (skipped: 1)\nfile: b.pgn \t\tfinished\n"
              "\nCONVERTED GAMES: 2\n");
    EXPECT_FALSE(all);  // a file was not opened
    // A line too long for a name is not cut to a name that may open another
    // file: it cannot be opened, and the list goes on.
    const std::string overlong = std::string(300, 'x') + ".pgn";
    WriteText(std::string(254, 'x').c_str(), "[Result \"1-0\"]\n1. c4 1-0\n");
    WriteText("long.lst", overlong + "\r\na.pgn");
    EXPECT_EQ(CaptureOutput([&] { ConvertPgnList("long.lst", gameName); }),
              "Cannot open PGN input file: '" + overlong + "'\n"
              "Warning: game 1 (skipped) file: a.pgn\nReason: duplicate of a stored game (game at line 1)\n"
              "converted: 0 games. (skipped: 1)\nfile: a.pgn \t\tfinished\n"
              "\nCONVERTED GAMES: 0\n");
    WriteText("good.lst", "b.pgn\n");
    CaptureOutput([&] { all = ConvertPgnList("good.lst", gameName); });
    EXPECT_TRUE(all);
    // A fault of the GAME file ends the whole list: a record without a result.
    WriteText(gameName, std::string("\x01\x00\x24\x0D", 4));
    WriteText("bad.lst", "a.pgn\nb.pgn\n");
    EXPECT_EQ(CaptureOutput([&] { all = ConvertPgnList("bad.lst", gameName); }),
              "converted: 0 games. (skipped: 0)\nERROR: WRONG RESULT file: a.pgn\n");
    EXPECT_FALSE(all);
}

}  // namespace
