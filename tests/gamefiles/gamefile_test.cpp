#include <cinttypes>
#include <cstring>
#include <filesystem>

#include "gamefiles/game2pos.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/outfile.h"
#include "tests/gamefiles/gamefiles_helpers.h"

namespace {

using namespace gamefiles_test;

constexpr Move M(int from, int to, int kind) { return BuildMove(from, to, kind); }

GameRecord MakeGame(uint16_t result, std::initializer_list<Move> moves) {
    GameRecord game{};
    int n = 0;
    for (Move move : moves) game.moveWords[++n] = move;
    game.moveWords[0] = static_cast<uint16_t>(result | n);
    return game;
}

void WriteGames(const std::string& name, std::initializer_list<GameRecord> games) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    for (const GameRecord& game : games) WriteGame(game, f);
    std::fclose(f);
}

class GameRecords : public ::testing::Test {
protected:
    void SetUp() override { PrepareEngine(); }
};

TEST_F(GameRecords, WrittenLittleEndianAndReadBackBitForBit) {
    const GameRecord a = MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E5, 0), MOVE_CASTLE_WHITE_SHORT});
    const GameRecord b = MakeGame(0xC000, {M(SQ_E7, SQ_D8, KIND_CAPTURE_PROMO_KNIGHT)});
    WriteGames("records.game", {a, b});
    const std::vector<unsigned char> expected = {0x03, 0x80, 0x24, 0x0D, 0x1C, 0x03, 0x3E, 0xDF,
                                                 0x01, 0xC0, 0x03, 0x93};
    EXPECT_EQ(ReadBytes("records.game"), expected);

    std::FILE* f = std::fopen("records.game", "rb");
    GameRecord read{};
    ASSERT_TRUE(ReadGame(read, f));
    EXPECT_TRUE(GamesEqual(read, a));
    EXPECT_STREQ(read.resultText, "1-0");
    EXPECT_EQ(read.resultCode, 'W');
    ASSERT_TRUE(ReadGame(read, f));
    EXPECT_TRUE(GamesEqual(read, b));
    EXPECT_STREQ(read.resultText, "1/2-1/2");
    EXPECT_EQ(read.resultCode, 'D');
    EXPECT_FALSE(ReadGame(read, f));
    std::fclose(f);

    std::FILE* out = std::fopen("records2.game", "wb");
    WriteGame(read, out);
    std::fclose(out);
    EXPECT_EQ(ReadBytes("records2.game"), std::vector<unsigned char>(expected.begin() + 8, expected.end()));
}

TEST_F(GameRecords, EqualityNeedsResultAndEveryMove) {
    const GameRecord a = MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E5, 0)});
    GameRecord b = a;
    b.moveWords[100] = 77;  // beyond the count: not part of the game
    EXPECT_TRUE(GamesEqual(a, b));
    EXPECT_FALSE(GamesEqual(a, MakeGame(0x4000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E5, 0)})));
    EXPECT_FALSE(GamesEqual(a, MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E6, 0)})));
    EXPECT_FALSE(GamesEqual(a, MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0)})));
}

TEST_F(GameRecords, DamagedRecordsAreRefused) {
    GameRecord game{};
    WriteText("bad.game", std::string("\x01\x00\x24\x0D", 4));
    std::FILE* f = std::fopen("bad.game", "rb");
    EXPECT_THROW(
        {
            try {
                ReadGame(game, f);
            } catch (const GameFileError& e) {
                EXPECT_STREQ(e.what(), "WRONG RESULT");
                throw;
            }
        },
        GameFileError);
    std::fclose(f);

    WriteText("long.game", std::string("\x00\x84", 2) + std::string(2048, '\0'));  // 1024 moves
    f = std::fopen("long.game", "rb");
    try {
        ReadGame(game, f);
        ADD_FAILURE() << "a count above 1023 was read";
    } catch (const GameFileError& e) {
        EXPECT_STREQ(e.what(), "WRONG MOVE COUNT");
    }
    std::fclose(f);

    // A record cut off by the end of the file is not a game.
    WriteText("cut.game", std::string("\x02\x80\x24\x0D", 4));
    f = std::fopen("cut.game", "rb");
    EXPECT_FALSE(ReadGame(game, f));
    std::fclose(f);
}

TEST_F(GameRecords, GameToPgnWritesTagAndCoordinateMovetext) {
    WriteGames("pgn.game", {MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E5, 0)}),
                            MakeGame(0x4000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E5, 0), M(SQ_D1, SQ_H5, 0)}),
                            MakeGame(0xC000, {MOVE_CASTLE_WHITE_SHORT, MOVE_CASTLE_BLACK_LONG,
                                              M(SQ_E7, SQ_D8, KIND_CAPTURE_PROMO_KNIGHT)})});
    std::remove("out.pgn");
    EXPECT_EQ(CaptureOutput([] { GameToPgn("pgn.game", "out.pgn"); }), "OK\nconverted: 3 games.\n");
    const std::string once =
        "[Result \"1-0\"]\n1. e2e4 e7e5 1-0\n"
        "[Result \"0-1\"]\n1. e2e4 e7e5 2. d1h5 0-1\n"
        "[Result \"1/2-1/2\"]\n1. e1g1 e8c8 2. e7d8n 1/2-1/2\n";
    EXPECT_EQ(ReadText("out.pgn"), once);
    // The output is appended to.
    CaptureOutput([] { GameToPgn("pgn.game", "out.pgn"); });
    EXPECT_EQ(ReadText("out.pgn"), once + once);

    WriteText("empty.game", "");
    std::remove("empty.pgn");
    EXPECT_EQ(CaptureOutput([] { GameToPgn("empty.game", "empty.pgn"); }), "OK\nconverted: 0 games.\n");
    EXPECT_EQ(ReadText("empty.pgn"), "");
    EXPECT_EQ(CaptureOutput([] { GameToPgn("missing.game", "x.pgn"); }),
              "Cannot open GAME input file: 'missing.game'\n");
    EXPECT_EQ(CaptureOutput([] { GameToPgn("pgn.game", "no/such/dir/x.pgn"); }),
              "Cannot create PGN output file: 'no/such/dir/x.pgn'\n");
}

TEST_F(GameRecords, ToolsRefuseFoldersAndTheirOwnInput) {
    WriteGames("own.game", {MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0)})});
    const std::string before = ReadText("own.game");
    std::filesystem::create_directories("folder.game");
    for (auto tool : {GameToPgn, GameToPositions}) {
        EXPECT_EQ(CaptureOutput([&] { tool("folder.game", "x.out"); }), "Cannot open GAME input file: 'folder.game'\n");
        EXPECT_EQ(CaptureOutput([&] { tool("own.game", "./own.game"); }),
                  "Input and output are the same file: './own.game'\n");
        EXPECT_EQ(ReadText("own.game"), before);
    }
}

TEST_F(GameRecords, AFailedWriteIsAnErrorWithTheGamesReallyWritten) {
    WriteGames("full.game", {MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0)}), MakeGame(0x4000, {M(SQ_D2, SQ_D4, 0)})});
    EXPECT_EQ(CaptureOutput([] { GameToPgn("full.game", "/dev/full"); }),
              "ERROR: cannot write PGN file '/dev/full'\nconverted: 0 games.\n");
    EXPECT_EQ(CaptureOutput([] { GameToPositions("full.game", "/dev/full"); }),
              "ERROR: cannot write DB file '/dev/full'\nconverted: 0 games.\n");
}

TEST_F(GameRecords, GameToPgnStopsAtADamagedRecord) {
    WriteGames("damaged.game", {MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0)}), MakeGame(0x0000, {M(SQ_E2, SQ_E4, 0)}),
                                MakeGame(0x8000, {M(SQ_D2, SQ_D4, 0)})});
    std::remove("damaged.pgn");
    EXPECT_EQ(CaptureOutput([] { GameToPgn("damaged.game", "damaged.pgn"); }),
              "ERROR: WRONG RESULT\nconverted: 1 games.\n");
    EXPECT_EQ(ReadText("damaged.pgn"), "[Result \"1-0\"]\n1. e2e4 1-0\n");
}

class PositionDatabase : public ::testing::Test {
protected:
    void SetUp() override { PrepareEngine(); }
    static std::string StartKey() {
        SetBoard(START_FEN, false);
        char text[32];
        std::snprintf(text, sizeof text, "%" PRId64, static_cast<int64_t>(pos.hashKey));
        return text;
    }
};

TEST_F(PositionDatabase, OneLinePerPositionWithAMovePlayed) {
    const std::string startKey = StartKey();
    WriteGames("db.game", {MakeGame(0xC000, {M(SQ_E2, SQ_E4, 0)}),
                           MakeGame(0x4000, {M(SQ_D2, SQ_D4, 0), M(SQ_D7, SQ_D5, 0)})});
    std::remove("db.txt");
    EXPECT_EQ(CaptureOutput([] { GameToPositions("db.game", "db.txt"); }), "OK\nconverted: 2 games.\n");
    const std::string text = ReadText("db.txt");
    const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR\tw\tKQkq\t-\t";
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], "1\tD\t" + start + "e2e4\t" + startKey);
    EXPECT_EQ(all[1], "1\tB\t" + start + "d2d4\t" + startKey);
    EXPECT_EQ(all[2].substr(0, all[2].rfind('\t')),
              "2\tB\trnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR\tb\tKQkq\td3\td7d5");
    // The key column is a signed 64-bit decimal.
    const std::string key = all[2].substr(all[2].rfind('\t') + 1);
    EXPECT_EQ(std::to_string(std::stoll(key)), key);
    // The start position is set again afterwards, and the output is appended to.
    EXPECT_EQ(std::to_string(static_cast<int64_t>(pos.hashKey)), startKey);
    CaptureOutput([] { GameToPositions("db.game", "db.txt"); });
    EXPECT_EQ(ReadText("db.txt"), text + text);
}

TEST_F(PositionDatabase, AnIllegalMoveIsReportedAndLeavesThePositionSound) {
    WriteGames("illegal.game", {MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0)}),
                                MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0), M(SQ_E2, SQ_E4, 0)}),
                                MakeGame(0x8000, {M(SQ_D2, SQ_D4, 0)})});
    std::remove("illegal.txt");
    EXPECT_EQ(CaptureOutput([] { GameToPositions("illegal.game", "illegal.txt"); }),
              "ERROR: MOVE NOT LEGAL game 2 ply 2\nconverted: 1 games.\n");
    // Only whole games are written: nothing of the second one.
    EXPECT_EQ(CountOf(ReadText("illegal.txt"), "\n"), 1);
    SetBoard(START_FEN, false);
    const uint64_t startKey = pos.hashKey;
    CaptureOutput([] { GameToPositions("illegal.game", "illegal.txt"); });
    EXPECT_EQ(pos.hashKey, startKey);

    // A special move word (kind 3) is refused the same way, never made.
    WriteGames("special.game", {MakeGame(0x8000, {MOVE_NULL})});
    EXPECT_EQ(CaptureOutput([] { GameToPositions("special.game", "special.txt"); }),
              "ERROR: MOVE NOT LEGAL game 1 ply 1\nconverted: 0 games.\n");
    EXPECT_EQ(CaptureOutput([] { GameToPositions("missing.game", "x.txt"); }),
              "Cannot open GAME input file: 'missing.game'\n");
    EXPECT_EQ(CaptureOutput([] { GameToPositions("illegal.game", "no/such/dir/x.txt"); }),
              "Cannot create DB output file: 'no/such/dir/x.txt'\n");
}

TEST_F(PositionDatabase, AtMostMaxPlyLines) {
    GameRecord game = MakeGame(0x8000, {M(SQ_E2, SQ_E4, 0), M(SQ_E7, SQ_E5, 0), M(SQ_G1, SQ_F3, 0)});
    SetBoard(START_FEN, false);
    std::remove("maxply.txt");
    OutputFile out;
    ASSERT_TRUE(out.Open("maxply.txt", "a", "DB"));
    game.resultCode = 'W';
    WriteGamePositions(game, out, 2);
    WriteGamePositions(game, out, 5000);
    out.Close();
    EXPECT_EQ(CountOf(ReadText("maxply.txt"), "\n"), 5);
}

}  // namespace
