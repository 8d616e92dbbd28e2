#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../movegen/position_support.h"
#include "shell/engine.h"
#include "shell/report.h"
#include "game_state.h"

using namespace movetest;

namespace {

class TakeBack : public ::testing::Test {
protected:
    void SetUp() override {
        currentPly = plyRecords;
        ForgetGameMoves();
    }
    void TearDown() override { ForgetGameMoves(); }
    // Plays the moves as the front end sends them; each must be legal.
    static void Play(std::initializer_list<const char*> moves) {
        for (const char* text : moves) {
            const Move move = TextToMove(text);
            ASSERT_TRUE(IsLegalMove(move)) << text;
            ApplyGameMove(move);
        }
    }
};

}  // namespace

// Each special kind of move, taken back alone and after further moves:
// keys, counters, rights, the en-passant square and the game snapshot come
// back exactly, and the history table is cleared as after a game move.
TEST_F(TakeBack, EveryKindOfMoveComesBackExactly) {
    struct Case {
        const char* fen;
        const char* move;
        const char* reply;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1g1", "e8c8"},              // castling both ways
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6", "e8d8"},                 // en passant
        {"r3k2r/1P6/8/8/8/8/8/4K3 w kq -", "b7a8q", "e8e7"},  // capture-promotion on a corner: black loses a right
        {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e2e4", "e8d7"},                   // double step sets the en-passant square
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "g1f3", "b8c6"},  // quiet, counters run
    };
    for (const Case& c : cases) {
        SetFen(c.fen);
        ForgetGameMoves();
        const GameState before = GameState::Now();
        Play({c.move});
        const GameState between = GameState::Now();
        Play({c.reply});
        historyTable[WHITE][7] = 1;
        ASSERT_TRUE(TakeBackGameMoves(1)) << c.fen;
        EXPECT_TRUE(GameState::Now() == between) << "undo of " << c.reply << " in " << c.fen;
        EXPECT_EQ(historyTable[WHITE][7], 0u);
        ASSERT_TRUE(TakeBackGameMoves(1));
        EXPECT_TRUE(GameState::Now() == before) << "undo of " << c.move << " in " << c.fen;
        EXPECT_EQ(CheckPositionInvariants(), nullptr);
        // The move is legal again, and so is the other reply.
        Play({c.move, c.reply});
        ASSERT_TRUE(TakeBackGameMoves(2));
        EXPECT_TRUE(GameState::Now() == before) << "remove after " << c.move << " " << c.reply;
        EXPECT_EQ(GameMovesKept(), 0);
    }
}

TEST_F(TakeBack, NothingToTakeBackChangesNothing) {
    SetFen(START_FEN);
    const GameState before = GameState::Now();
    EXPECT_FALSE(TakeBackGameMoves(1));
    Play({"e2e4"});
    EXPECT_FALSE(TakeBackGameMoves(2));  // "remove" needs both moves
    EXPECT_EQ(GameMovesKept(), 1);
    ASSERT_TRUE(TakeBackGameMoves(1));
    EXPECT_TRUE(GameState::Now() == before);
}

// The move pondered on becomes a game move on a ponder hit and can then be
// taken back like any other.
TEST_F(TakeBack, PonderMoveKeptOnAHit) {
    SetFen(START_FEN);
    Play({"e2e4"});
    const GameState before = GameState::Now();
    ponderMove = TextToMove("e7e5");
    SaveSnapshot(&ponderRecord);
    MakeMove(ponderMove, &ponderRecord);
    KeepPonderMoveAsGameMove();
    ponderMove = MOVE_NONE;
    EXPECT_EQ(GameMovesKept(), 2);
    ASSERT_TRUE(TakeBackGameMoves(1));
    EXPECT_TRUE(GameState::Now() == before);
}

// A game longer than the history holds: the history has been trimmed and
// the oldest records dropped, yet every move still kept comes back to the
// right position, and a takeback past the kept records does nothing.
TEST_F(TakeBack, LongGamesStayExact) {
    SetFen(START_FEN);
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    std::vector<uint64_t> keys{pos.hashKey};
    const int plies = 1030;
    for (int i = 0; i < plies; ++i) {
        Play({shuffle[i % 4]});
        keys.push_back(pos.hashKey);
    }
    EXPECT_EQ(GameMovesKept(), 1024);
    for (int i = plies; i > plies - 300; --i) {
        ASSERT_TRUE(TakeBackGameMoves(1));
        ASSERT_EQ(pos.hashKey, keys[i - 1]);
        ASSERT_EQ(historyTop->key, pos.hashKey);
    }
    ASSERT_TRUE(TakeBackGameMoves(GameMovesKept()));
    EXPECT_EQ(pos.hashKey, keys[plies - 1024]);
    EXPECT_GE(historyTop, positionHistory);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    EXPECT_FALSE(TakeBackGameMoves(1));
}

// A search result that is not a legal move is replaced by a legal one.
TEST(PlayableMove, FaultyResultsBecomeLegalMoves) {
    SetFen(START_FEN);
    const Move e2e4 = TextToMove("e2e4");
    EXPECT_EQ(PlayableMove(e2e4), e2e4);
    for (Move faulty : {MOVE_NONE, MOVE_NULL, TextToMove("e2e5"), TextToMove("e7e5")})
        EXPECT_TRUE(IsLegalMove(PlayableMove(faulty))) << Text(faulty);
    SetFen("7k/8/8/8/8/8/5PPP/r5K1 w - -");  // mated
    EXPECT_EQ(PlayableMove(MOVE_NONE), MOVE_NONE);
}
