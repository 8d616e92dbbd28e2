#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/fen.h"
#include "board/invariants.h"
#include "board/keys.h"
#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"

namespace {

class Fen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTables(); }
};

std::string CurrentFen() {
    char buffer[82];
    GetFen(buffer);
    return buffer;
}

// Everything a rejected set-up must leave alone.
struct Snapshot {
    Position position;
    HistoryEntry history[HISTORY_SIZE];
    HistoryEntry* top;
    PieceCode board[64];
    int32_t side;
    uint16_t rights;
    uint8_t ep;
    uint8_t kings[2];

    Snapshot() {
        position = pos;
        std::memcpy(history, positionHistory, sizeof history);
        top = historyTop;
        std::memcpy(board, gameBoard, sizeof board);
        side = gameSideToMove;
        rights = gameCastleRights;
        ep = gameEpSquare;
        std::memcpy(kings, gameKingSq, sizeof kings);
    }
    bool Unchanged() const {
        return std::memcmp(&position, &pos, sizeof position) == 0 &&
               std::memcmp(history, positionHistory, sizeof history) == 0 && top == historyTop &&
               std::memcmp(board, gameBoard, sizeof board) == 0 && side == gameSideToMove &&
               rights == gameCastleRights && ep == gameEpSquare &&
               std::memcmp(kings, gameKingSq, sizeof kings) == 0;
    }
};

}  // namespace

TEST_F(Fen, StartPositionCountersSnapshotAndHistory) {
    ASSERT_TRUE(SetBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", false));
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    EXPECT_EQ(pos.totalMaterial, 78);
    EXPECT_EQ(pos.pieceMaterial[BLACK], 31);
    EXPECT_EQ(pos.pieceMaterial[WHITE], 31);
    EXPECT_EQ(pos.pawnCount[BLACK], 8);
    EXPECT_EQ(pos.pawnCount[WHITE], 8);
    EXPECT_EQ(pos.castleRights, 27);
    EXPECT_EQ(pos.epSquare, 0);
    EXPECT_EQ(pos.kingSq[BLACK], SQ_E8);
    EXPECT_EQ(pos.kingSq[WHITE], SQ_E1);
    EXPECT_EQ(pos.sideToMove, WHITE);
    EXPECT_EQ(historyTop, positionHistory);
    EXPECT_EQ(historyTop->reversiblePlies, 0);
    EXPECT_EQ(historyTop->key, pos.hashKey);
    EXPECT_EQ(std::memcmp(gameBoard, pos.board, 64), 0);
    EXPECT_EQ(gameKingSq[0], SQ_E1);
    EXPECT_EQ(gameKingSq[1], SQ_E8);
    EXPECT_EQ(gameCastleRights, 27);
    EXPECT_EQ(CurrentFen(), START_FEN);
    EXPECT_EQ(FirstSquare(pos.occupied), SQ_H1);
    // Keys cover the pieces only; the pawn key only the pawns.
    uint64_t key = 0;
    uint32_t pawnKey = 0;
    for (int sq = 0; sq < 64; ++sq) {
        if (pos.board[sq]) key ^= keyTable[pos.board[sq]][sq];
        if (pos.board[sq] == W_PAWN || pos.board[sq] == B_PAWN)
            pawnKey ^= static_cast<uint32_t>(keyTable[pos.board[sq]][sq]);
    }
    EXPECT_EQ(pos.hashKey, key);
    EXPECT_EQ(pos.pawnKey, pawnKey);
}

TEST_F(Fen, RoundTripsOfVariedPositions) {
    const char* texts[] = {
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -",
        "r3k2r/8/8/8/8/8/8/R3K2R b Kq -",
        "r3k2r/8/8/8/8/8/8/R3K2R w Qk -",
        "r3k2r/8/8/8/8/8/8/R3K2R b - -",
        "8/2k5/8/8/8/8/5K2/8 w - -",
        "1nbqkbn1/8/8/8/8/8/8/1NBQKBN1 b - -",
        "8/8/8/3k4/8/8/8/8 b - -",
        "QQQQQQQk/QQQQQQQQ/8/8/8/8/8/K7 b - -",
        "8/8/8/8/8/8/8/8 w - -",
        "r1b1k1nr/p1p1p1p1/1p1p1p1p/8/8/P1P1P1P1/1P1P1P1P/R1B1K1NR w KQkq -",
    };
    for (const char* text : texts) {
        ASSERT_TRUE(SetBoard(text, false)) << text;
        EXPECT_EQ(CurrentFen(), text);
        EXPECT_EQ(CheckPositionInvariants(), nullptr) << text;
    }
    // Every subset of the four rights survives the round trip.
    const char* letters[4] = {"K", "Q", "k", "q"};
    for (int subset = 0; subset < 16; ++subset) {
        std::string rights;
        for (int i = 0; i < 4; ++i)
            if (subset & (1 << i)) rights += letters[i];
        if (rights.empty()) rights = "-";
        const std::string text = "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w " + rights + " -";
        ASSERT_TRUE(SetBoard(text.c_str(), false));
        EXPECT_EQ(CurrentFen(), text);
    }
}

TEST_F(Fen, PlacementEdgeCases) {
    // The field is one run of 64 squares; rank lengths are not checked.
    EXPECT_FALSE(SetBoard("nnnnnnnnnnnnnnnn/8/8/8/8/8/8/8 w - -", false));
    ASSERT_TRUE(SetBoard("nnnnnnnnnnnnnnnn/8/8/8/8/8/8 w - -", false));
    EXPECT_EQ(pos.pieceBB[B_KNIGHT], 0xFFFFull << 48);
    EXPECT_EQ(pos.pieceMaterial[BLACK], 48);
    // After 64 squares the trailing slash is read as the side letter.
    EXPECT_FALSE(SetBoard("8/8/8/8/8/8/8/8/ w - -", false));
    EXPECT_FALSE(SetBoard("8/8/8/8/8/8/8/7 w - -", false));
    EXPECT_FALSE(SetBoard("8/8/8/8/9/8/8/8 w - -", false));
    EXPECT_FALSE(SetBoard("8/8/8/8/0/8/8/8/8 w - -", false));
    EXPECT_FALSE(SetBoard("8/8/8/8/8/8/8/8 x - -", false));
    EXPECT_FALSE(SetBoard("8/8/8/8/8/8/8/8", false));
    EXPECT_FALSE(SetBoard("", false));
    // Without a king the square is 100 and the colour set has no king bit.
    ASSERT_TRUE(SetBoard("8/8/8/8/8/8/8/4K3 w - -", false));
    EXPECT_EQ(pos.kingSq[BLACK], SQ_NONE);
    EXPECT_EQ(pos.colourBB[BLACK], 0u);
    EXPECT_EQ(pos.colourBB[WHITE], squareBit[SQ_E1]);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    // Upper-case side letters and extra blanks are accepted; counters ignored.
    ASSERT_TRUE(SetBoard("  4k3/8/8/8/8/8/8/4K3   B   -   -  12 40", false));
    EXPECT_EQ(pos.sideToMove, BLACK);
}

TEST_F(Fen, UnusualButPlayableSetUpsAreAccepted) {
    // Pawns on the first and last ranks: nothing in the engine needs them away.
    for (const char* text : {"4k3/8/8/8/8/8/8/P3K3 w - -", "p3k3/8/8/8/8/8/8/4K3 b - -",
                             "P3k3/8/8/8/8/8/8/p3K3 w - -"}) {
        ASSERT_TRUE(SetBoard(text, false)) << text;
        EXPECT_EQ(CurrentFen(), text);
        EXPECT_EQ(CheckPositionInvariants(), nullptr) << text;
    }
    // Material beyond an 8-bit total neither wraps nor reads as a bare board.
    ASSERT_TRUE(SetBoard("kqqqqqqq/qqqqqnnq/8/8/8/8/QQQQQQQQ/QQQQQQQK w - -", false));
    EXPECT_EQ(pos.totalMaterial, 28 * 9 + 2 * 3);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    EXPECT_EQ(DrawTest(1), MOVE_NONE);
}

TEST_F(Fen, RejectedSetUpsKeepThePreviousGame) {
    ASSERT_TRUE(SetBoard("r3k2r/8/8/8/8/8/8/R3K2R b Kq -", false));
    historyTop[1] = HistoryEntry{pos.hashKey ^ 1, MOVE_NONE, 1};
    ++historyTop;  // a game with one move played
    const Snapshot before;
    const char* rejected[] = {
        "4k3/8/8/8/8/8/8/K3K3 w - -",        // two white kings
        "4k2k/8/8/8/8/8/8/4K3 w - -",        // two black kings
        "4k3/8/8/8/8/8/8/4R1K1 w - -",       // black, not to move, in check
        "4k3/3P4/8/8/8/8/8/4K3 w - -",       // ... by a pawn
        "4k3/8/8/8/8/8/8/4K2q b - -",        // white in check by a queen
        "8/8/8/8/8/8/4k3/4K3 w - -",         // kings touching
        "QQQQQQQQ/QQQQQQQk/QQ6/8/8/8/8/K7 b - -",  // seventeen white men
        "8/8/8/8/8/8/8/4K2x w - -",
        "8/8/8/8/8/8/8/4K3 - - -",
    };
    for (const char* text : rejected) {
        EXPECT_FALSE(SetBoard(text, false)) << text;
        EXPECT_TRUE(before.Unchanged()) << text;
    }
    // The side to move may be in check.
    EXPECT_TRUE(SetBoard("4k3/8/8/8/8/8/8/4K2q w - -", false));
    EXPECT_TRUE(SetBoard("4k3/8/8/8/8/8/8/q3K3 w - -", false));
}

TEST_F(Fen, EnPassantFieldCountsOnlyForAJustDoubleSteppedPawn) {
    struct Case { const char* text; int ep; };
    const Case cases[] = {
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3", SQ_E3},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", SQ_D6},
        {"4k3/8/8/8/4P3/8/8/4K3 w - e3", 0},     // wrong side to move
        {"4k3/8/8/8/8/8/8/4K3 b - e3", 0},       // no pawn in front
        {"4k3/8/8/8/4p3/8/8/4K3 b - e3", 0},     // pawn of the wrong colour
        {"4k3/8/8/3p4/8/8/8/4K3 w - d5", 0},     // not rank 3 or 6
        {"4k3/8/8/8/4P3/4N3/8/4K3 b - e3", 0},   // passed-over square taken
        {"4k3/8/8/8/4P3/8/8/4K3 b - z3", 0},
        {"4k3/8/8/8/4P3/8/8/4K3 b - e", 0},      // text ends inside the field
        {"4k3/8/8/8/4P3/8/8/4K3 b -", 0},        // text ends before the field
        {"4k3/8/8/8/4P3/8/8/4K3 b", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetBoard(c.text, false)) << c.text;
        EXPECT_EQ(pos.epSquare, c.ep) << c.text;
        EXPECT_EQ(gameEpSquare, c.ep) << c.text;
    }
}

TEST_F(Fen, CastlingFieldScan) {
    // The scan ends at the end of the text, and the first other character ends it.
    ASSERT_TRUE(SetBoard("r3k2r/8/8/8/8/8/8/R3K2R w K", false));
    EXPECT_EQ(pos.castleRights, CASTLE_WHITE_SHORT);
    ASSERT_TRUE(SetBoard("r3k2r/8/8/8/8/8/8/R3K2R w kQ", false));
    EXPECT_EQ(pos.castleRights, CASTLE_BLACK_SHORT | CASTLE_WHITE_LONG);
    ASSERT_TRUE(SetBoard("r3k2r/8/8/8/8/8/8/R3K2R w KK", false));
    EXPECT_EQ(pos.castleRights, CASTLE_WHITE_SHORT);
    // Rights whose king or rook has left home are dropped.
    ASSERT_TRUE(SetBoard("r3k3/8/8/8/8/8/8/4K2R w KQkq -", false));
    EXPECT_EQ(pos.castleRights, CASTLE_WHITE_SHORT | CASTLE_BLACK_LONG);
    ASSERT_TRUE(SetBoard("r4k1r/8/8/8/8/8/8/R3K2R w KQkq -", false));
    EXPECT_EQ(pos.castleRights, CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG);
    EXPECT_EQ(CurrentFen(), "r4k1r/8/8/8/8/8/8/R3K2R w KQ -");
}

TEST_F(Fen, EpdOperations) {
    FenResult result;
    ASSERT_TRUE(ParseFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm Nf6;", result));
    EXPECT_TRUE(result.epdBest);
    EXPECT_FALSE(result.epdAvoid);
    EXPECT_STREQ(result.epdText, "Nf6");
    EXPECT_EQ(result.position.epSquare, SQ_E3);

    ASSERT_TRUE(ParseFen("4k3/8/8/8/8/8/8/4K2R w K - am Rh8+ ; id \"x\";", result));
    EXPECT_TRUE(result.epdAvoid);
    EXPECT_STREQ(result.epdText, "Rh8+");

    // Only the first a or b is looked at: an id before the move hides it.
    ASSERT_TRUE(ParseFen("4k3/8/8/8/8/8/8/4K2R w K - id \"abc\"; bm Rh8+;", result));
    EXPECT_FALSE(result.epdBest || result.epdAvoid);
    // Operands longer than nine characters, or not ended by ';' or a blank, are ignored.
    ASSERT_TRUE(ParseFen("4k3/8/8/8/8/8/8/4K2R w K - bm Rh8xxxxxxx;", result));
    EXPECT_FALSE(result.epdBest);
    ASSERT_TRUE(ParseFen("4k3/8/8/8/8/8/8/4K2R w K - bm Rh8", result));
    EXPECT_FALSE(result.epdBest);
    ASSERT_TRUE(ParseFen("4k3/8/8/8/8/8/8/4K2R w K - bm", result));
    EXPECT_FALSE(result.epdBest);
    // The halfmove and move numbers are skipped by the same scan.
    ASSERT_TRUE(ParseFen(START_FEN, result));
    EXPECT_FALSE(result.epdBest || result.epdAvoid);

    // Committing clears the EPD moves of the position.
    pos.epdBestMove = MOVE_CASTLE_WHITE_LONG;
    ASSERT_TRUE(SetBoard(START_FEN, false));
    EXPECT_EQ(pos.epdBestMove, MOVE_NONE);
    EXPECT_EQ(pos.epdAvoidMove, MOVE_NONE);
}

TEST_F(Fen, UnreadableEpdMoveRejectsTheSetUpAndKeepsTheGame) {
    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/8/4K2R w K -", false));
    const Snapshot before;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(SetBoard("4k3/8/8/8/8/8/8/R3K3 w Q - bm Zz9;", false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning cannot recognize move: Zz9\r\n");
    EXPECT_TRUE(before.Unchanged());
}

TEST_F(Fen, SetUpClearsOrderingTables) {
    historyTable[1][100] = 7;
    plyRecords[5].killer1 = MOVE_CASTLE_WHITE_SHORT;
    plyRecords[135].killer2 = MOVE_CASTLE_BLACK_LONG;
    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/8/4K3 w - -", false));
    EXPECT_EQ(historyTable[1][100], 0u);
    EXPECT_EQ(plyRecords[5].killer1, MOVE_NONE);
    EXPECT_EQ(plyRecords[135].killer2, MOVE_NONE);
}
