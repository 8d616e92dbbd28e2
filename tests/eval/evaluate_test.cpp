#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/plyrecord.h"
#include "board/tables.h"
#include "eval/evaluate.h"
#include "eval/psqt.h"
#include "movegen/legality.h"

namespace {

bool TryPlace(const char* fen) {
    FenResult parsed;
    if (!ParseFen(fen, parsed)) return false;
    CommitFen(parsed);
    return true;
}

void Place(const char* fen) { ASSERT_TRUE(TryPlace(fen)) << fen; }

// The same position turned by 180 degrees with the colours swapped.
std::string Turned(const char* fen) {
    char board[64];
    int sq = 0;
    const char* p = fen;
    for (; *p && *p != ' '; ++p) {
        if (*p == '/') continue;
        if (*p >= '1' && *p <= '8') {
            for (int i = 0; i < *p - '0'; ++i) board[sq++] = '.';
            continue;
        }
        board[sq++] = static_cast<char>(std::isupper(*p) ? std::tolower(*p) : std::toupper(*p));
    }
    std::string out;
    for (int row = 0; row < 8; ++row) {
        int empty = 0;
        for (int column = 0; column < 8; ++column) {
            const char c = board[63 - (row * 8 + column)];
            if (c == '.') { ++empty; continue; }
            if (empty) out += static_cast<char>('0' + empty);
            empty = 0;
            out += c;
        }
        if (empty) out += static_cast<char>('0' + empty);
        if (row < 7) out += '/';
    }
    out += (*p && p[1] == 'b') ? " w" : " b";
    return out;
}

class Evaluation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTables(); }
    void SetUp() override { ClearPawnHashTable(); }
    static int Eval(const char* fen) {
        Place(fen);
        return Evaluate();
    }
    // Score from White's point of view whoever is to move.
    static int White(const char* fen) {
        Place(fen);
        return pos.sideToMove == WHITE ? Evaluate() : -Evaluate();
    }
    static int Pst(PieceCode code, Square sq) { return PstValue(code, sq, pos.totalMaterial); }
};

TEST_F(Evaluation, InitialPositionIsLevelForEitherSide) {
    EXPECT_EQ(Eval("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w"), 0);
    EXPECT_EQ(Eval("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b"), 0);
}

TEST_F(Evaluation, BareKingsAndALoneMinorAreDrawn) {
    EXPECT_EQ(Eval("8/8/3k4/8/8/2N5/8/4K3 w"), 0);
    EXPECT_EQ(Eval("8/8/3k4/8/2b5/8/8/4K3 b"), 0);
    EXPECT_EQ(Eval("k7/8/8/8/8/8/8/7K w"), 0);
    EXPECT_NE(Eval("k7/8/8/8/8/8/P7/7K w"), 0);
}

TEST_F(Evaluation, PassedPawnBonusGrowsTowardsPromotion) {
    // d7 and e2: neighbours, so neither is isolated; both passed and alone on
    // their files: 96 on the seventh rank, 16 on the second.
    Place("7k/3P4/8/8/8/8/4P3/4K3 w");
    EXPECT_EQ(PawnStructureScore(), Pst(W_PAWN, SQ_D7) + 100 + 96 + Pst(W_PAWN, SQ_E2) + 100 + 16);
    Place("4k3/4p3/8/8/8/8/3p4/4K3 w");
    EXPECT_EQ(PawnStructureScore(), -(Pst(B_PAWN, SQ_D2) + 100 + 96 + Pst(B_PAWN, SQ_E7) + 100 + 16));
}

TEST_F(Evaluation, DoubledAndIsolatedPawns) {
    // Doubled and isolated on the a-file, no enemy pawn ahead: -8 and -24
    // each; only the front pawn keeps its passed bonus.
    Place("4k3/8/8/8/P7/P7/8/4K3 w");
    EXPECT_EQ(PawnStructureScore(),
              Pst(W_PAWN, SQ_A4) + 100 - 8 + 48 - 24 + Pst(W_PAWN, SQ_A3) + 100 - 8 - 24);
    // An isolated pawn with an enemy pawn ahead on its file costs 18.
    Place("4k3/p7/8/8/P7/8/8/4K3 w");
    EXPECT_EQ(PawnStructureScore(), Pst(W_PAWN, SQ_A4) + 100 - 18 - (Pst(B_PAWN, SQ_A7) + 100 - 18));
}

TEST_F(Evaluation, BlackWeakPawnTermMirrorsWhites) {
    // e5 attacked by d4 and f4 and defended by d6: Black loses 8 * (3 - 1),
    // the same as White in the turned position.
    const char* fen = "4k3/8/3p4/4p3/3P1P2/8/8/4K3 w";
    Place(fen);
    const int score = PawnStructureScore();
    Place(Turned(fen).c_str());
    EXPECT_EQ(PawnStructureScore(), -score);
    // Term by term: e5 weak (weight 3, one defender: Black loses 16), d6 plain,
    // d4 isolated with d6 ahead (-18), f4 isolated with its file clear (-24).
    EXPECT_EQ(score, Pst(W_PAWN, SQ_D4) + 100 - 18 + Pst(W_PAWN, SQ_F4) + 100 - 24 -
                         (Pst(B_PAWN, SQ_E5) + 100 - 16) - (Pst(B_PAWN, SQ_D6) + 100));
}

TEST_F(Evaluation, PawnStructureScoreIsColourSymmetric) {
    std::mt19937 random(12345);
    for (int trial = 0; trial < 300; ++trial) {
        char board[64];
        std::memset(board, '.', sizeof board);
        board[SQ_E1] = 'K';
        board[SQ_E8] = 'k';
        const int pawns = 1 + static_cast<int>(random() % 14);
        for (int i = 0; i < pawns; ++i) {
            const int sq = 8 + static_cast<int>(random() % 48);
            if (board[sq] == '.') board[sq] = (random() & 1) ? 'P' : 'p';
        }
        std::string fen;
        for (int row = 0; row < 8; ++row) {
            int empty = 0;
            for (int column = 0; column < 8; ++column) {
                const char c = board[row * 8 + column];
                if (c == '.') { ++empty; continue; }
                if (empty) fen += static_cast<char>('0' + empty);
                empty = 0;
                fen += c;
            }
            if (empty) fen += static_cast<char>('0' + empty);
            if (row < 7) fen += '/';
        }
        fen += " w";
        if (!TryPlace(fen.c_str())) continue;  // a pawn giving check to the side not to move
        const int score = PawnStructureScore();
        Place(Turned(fen.c_str()).c_str());
        ASSERT_EQ(PawnStructureScore(), -score) << fen;
    }
}

TEST_F(Evaluation, RooksOnTheSeventhRank) {
    // Two rooks: 24, and 36 more with the king on rank 8, 12 on rank 7.
    const int g6 = White("8/RR6/6k1/8/8/8/8/K7 b");
    const int kingG6 = Pst(B_KING, SQ_G6);
    const int g8 = White("6k1/RR6/8/8/8/8/8/K7 b");
    EXPECT_EQ(g8 - g6, -(Pst(B_KING, SQ_G8) - kingG6) + 36);
    const int g7 = White("8/RR4k1/8/8/8/8/8/K7 b");
    EXPECT_EQ(g7 - g6, -(Pst(B_KING, SQ_G7) - kingG6) + 12);
    // One rook: 12 whatever the king.
    const int one = Eval("6k1/R7/8/8/8/8/8/K7 w");
    const int lower = Eval("6k1/8/R7/8/8/8/8/K7 w");
    EXPECT_EQ(one - lower, Pst(W_ROOK, SQ_A7) - Pst(W_ROOK, SQ_A6) + 12);
    // Black's rooks on the second rank with the White king on rank 1.
    EXPECT_EQ(White("k7/8/8/8/8/8/6rr/1K6 w") - White("k7/8/8/8/8/1K6/6rr/8 w"),
              PstValue(W_KING, SQ_B1, 10) - PstValue(W_KING, SQ_B3, 10) - 36);
}

TEST_F(Evaluation, RookFiles) {
    // Open file 20, half-open 8, behind its own passed pawn 20 (a rook on a1
    // and a pawn on a5 with nothing against it).
    const int open = Eval("4k3/8/8/8/8/8/8/R3K3 w");
    const int halfOpen = Eval("4k3/p7/8/8/8/8/8/R3K3 w") - Eval("4k3/p7/8/8/8/8/8/4K3 w");
    EXPECT_EQ(halfOpen - (open - Eval("4k3/8/8/8/8/8/8/4K3 w")), -12);
}

TEST_F(Evaluation, TrappedBishops) {
    // h7 with g6 against it costs 220; a7 next to g6 but no b6 costs nothing.
    const int h7 = Eval("4k3/7B/6p1/8/8/8/8/4K3 w");
    const int a7 = Eval("4k3/B7/6p1/8/8/8/8/4K3 w");
    EXPECT_EQ(h7 - a7, Pst(W_BISHOP, SQ_H7) - Pst(W_BISHOP, SQ_A7) - 220);
    const int h2 = Eval("4k3/8/8/8/8/6P1/7b/4K3 w");
    const int a2 = Eval("4k3/8/8/8/8/6P1/b7/4K3 w");
    EXPECT_EQ(h2 - a2, -(Pst(B_BISHOP, SQ_H2) - Pst(B_BISHOP, SQ_A2)) + 220);
}

TEST_F(Evaluation, FullSumOfASmallPosition) {
    // King e1, rook a1 against a knight on h8 with no black king: king table,
    // rook + open file, knight, imbalance (one major against one minor: +60).
    Place("7n/8/8/8/8/8/8/R3K3 w");
    const int expected = Pst(W_KING, SQ_E1) + Pst(W_ROOK, SQ_A1) + 500 + 20 -
                         (Pst(B_KNIGHT, SQ_H8) + 310) + 60;
    EXPECT_EQ(Evaluate(), expected);
    pos.sideToMove = BLACK;
    EXPECT_EQ(Evaluate(), -expected);
}

TEST_F(Evaluation, PositionsWithoutKingsEvaluate) {
    // Without kings there is nothing to attack and no shelter, and every
    // remaining term is the same for the turned position with colours swapped.
    for (const char* fen : {"r2q3r/pppp1ppp/2n5/4p3/3PP3/2N5/PPP2PPP/R2Q1B1R w",
                            "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR b",
                            "r2q3r/pp3ppp/2n5/8/8/2N5/PP3PPP/R2Q3R w"}) {
        const int score = Eval(fen);
        EXPECT_EQ(Eval(Turned(fen).c_str()), score) << fen;
    }
}

TEST_F(Evaluation, KingAttackSumsBeyondTheTableUseItsLastEntry) {
    // Fifteen queens round the black king on d5: with the fifteenth on b5 the
    // attack sum is 128, one past the table; on a5 it is 124. Both lie on the
    // table's flat end (200), so only the queen's own square value differs.
    // Black's fifteen queens far away keep the total inside the static range.
    const int b5 = Eval("3K4/1QQQQQ2/2QQQ3/1QQkQ3/2QQQ3/1Q6/qqqqqqqq/qqqqqqq1 b");
    const int a5 = Eval("3K4/1QQQQQ2/2QQQ3/Q1QkQ3/2QQQ3/1Q6/qqqqqqqq/qqqqqqq1 b");
    EXPECT_GT(b5, -EVALUATION_LIMIT);
    EXPECT_EQ(b5 - a5, -(Pst(W_QUEEN, SQ_B5) - Pst(W_QUEEN, SQ_A5)));
}

TEST_F(Evaluation, PawnCacheServesAScoreOnlyUnderItsPawnTable) {
    // The same pawns under three pawn tables (material 75, 63 and 44):
    // the cached score of one phase must not be served to the other.
    const char* rich = "r1bqkbnr/pppppppp/8/8/3PP3/8/PPP2PPP/RNBQKBNR w";   // 75
    const char* poorer = "r1bqkbnr/pppppppp/8/8/3PP3/8/PPP2PPP/R1B1KBNR w"; // 63
    const char* poorest = "r1bqkbnr/pppppppp/8/8/3PP3/8/PPP2PPP/4K3 w";     // 44
    int fresh[3];
    int i = 0;
    for (const char* fen : {rich, poorer, poorest}) {
        ClearPawnHashTable();
        fresh[i++] = Eval(fen);
    }
    ClearPawnHashTable();
    i = 0;
    for (const char* fen : {rich, poorer, poorest}) EXPECT_EQ(Eval(fen), fresh[i++]) << fen;
}

// Random games: at every position the score with the cache as the game
// left it equals the score computed afresh, and the pawn-structure score of
// the turned, colour-swapped position is the negation.
TEST_F(Evaluation, RandomGamesScoreTheSameWithAndWithoutThePawnCache) {
    const char* starts[] = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ -",
    };
    std::mt19937 random(2024);
    std::vector<PlyRecord> records(200);
    std::vector<std::string> seen;
    int positions = 0;
    for (const char* start : starts) {
        ClearPawnHashTable();
        for (int game = 0; game < 25; ++game) {
            Place(start);
            for (int ply = 0; ply < 200; ++ply) {
                const int cached = Evaluate();
                pawnHashTable[pos.pawnKey & (PAWN_HASH_SIZE - 1)] = 0;
                char fen[96];
                GetFen(fen);
                ASSERT_EQ(Evaluate(), cached) << fen;
                ++positions;
                if (ply % 16 == 5) seen.push_back(fen);
                Move legal[256];
                const int count = GenerateLegalMoves(legal);
                if (count == 0) break;
                SaveSnapshot(&records[ply]);
                MakeMove(legal[random() % count], &records[ply]);
            }
        }
    }
    EXPECT_GT(positions, 5000);
    for (const std::string& fen : seen) {
        Place(fen.c_str());
        const int score = PawnStructureScore();
        Place(Turned(fen.c_str()).c_str());
        EXPECT_EQ(PawnStructureScore(), -score) << fen;
    }
}

}  // namespace
