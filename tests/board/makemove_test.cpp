#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../movegen/position_support.h"

using namespace movetest;

// Every move of the full and capture lists of these positions, all kinds
// together, made and unmade: invariants hold and unmake restores every bit.
TEST(MakeUnmake, EveryMoveKindRestoresThePositionBitForBit) {
    std::set<int> kinds;
    for (const char* fen : {"r3k2r/1P4P1/8/3pP3/8/8/6p1/R3K2R w KQkq d6", "r3k2r/1P4P1/8/8/3Pp3/8/6p1/R3K2R b KQkq d3",
                            "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -"}) {
        SetFen(fen);
        const Position before = pos;
        ScoredMove* end = GenerateCaptures[pos.sideToMove](GenerateMoves[pos.sideToMove](moveStack));
        PlyRecord record{};
        SaveSnapshot(&record);
        for (const ScoredMove* m = moveStack; m != end; ++m) {
            kinds.insert(KindOfMove(m->move));
            MakeMove(m->move, &record);
            EXPECT_EQ(CheckPositionInvariants(), nullptr) << "after making " << Text(m->move);
            EXPECT_EQ(positionHistory[0].move, m->move);
            UnmakeMove(m->move, &record);
            EXPECT_TRUE(SamePosition(before, pos)) << "unmake of " << Text(m->move);
            EXPECT_EQ(historyTop, positionHistory);
        }
    }
    EXPECT_EQ(kinds.size(), 15u);  // every kind but the special one
}

TEST(MakeUnmake, KeysCountersAndRightsOfEachKind) {
    PlyRecord record{};
    SetFen(START_FEN);
    const uint64_t startKey = pos.hashKey;
    SaveSnapshot(&record);
    MakeMove(BuildMove(SQ_E2, SQ_E4, KIND_QUIET), &record);
    EXPECT_EQ(pos.epSquare, 44);  // set although no black pawn can capture
    EXPECT_EQ(pos.hashKey, startKey ^ keyTable[W_PAWN][SQ_E2] ^ keyTable[W_PAWN][SQ_E4] ^ keyTable[0][44]);
    EXPECT_EQ(historyTop->reversiblePlies, 0);

    SetFen("r3k2r/8/8/8/8/8/1B6/4K3 w kq -");  // bishop takes the rook on h8
    const Position before = pos;
    SaveSnapshot(&record);
    MakeMove(BuildMove(SQ_B2, SQ_H8, KIND_CAPTURE), &record);
    EXPECT_EQ(record.materialChange, -5);
    EXPECT_EQ(pos.pieceMaterial[BLACK], before.pieceMaterial[BLACK] - 5);
    EXPECT_EQ(pos.castleRights, CASTLE_BLACK_LONG);
    EXPECT_EQ(pos.hashKey, PieceKeys() ^ keyTable[0][SQ_G8]);
    EXPECT_EQ(historyTop->reversiblePlies, 0);

    SetFen("7k/4P3/8/8/8/8/8/4K3 w - -");
    SaveSnapshot(&record);
    MakeMove(BuildMove(SQ_E7, SQ_E8, KIND_PROMO_KNIGHT), &record);
    EXPECT_EQ(pos.totalMaterial, 3);
    EXPECT_EQ(pos.pieceMaterial[WHITE], 3);
    EXPECT_EQ(pos.pawnCount[WHITE], 0);

    SetFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    const uint64_t key = pos.hashKey;
    SaveSnapshot(&record);
    MakeMove(MOVE_CASTLE_WHITE_SHORT, &record);
    EXPECT_EQ(pos.castleRights, CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG);
    EXPECT_EQ(pos.hashKey, key ^ CastleKeys(CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG) ^ keyTable[W_KING][SQ_E1] ^
                               keyTable[W_KING][SQ_G1] ^ keyTable[W_ROOK][SQ_H1] ^ keyTable[W_ROOK][SQ_F1]);
    EXPECT_EQ(pos.kingSq[WHITE], SQ_G1);

    SetFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
    SaveSnapshot(&record);
    MakeMove(BuildMove(SQ_E5, SQ_D6, KIND_EN_PASSANT), &record);
    EXPECT_EQ(pos.board[SQ_D5] | pos.board[SQ_E5], EMPTY);
    EXPECT_EQ(pos.board[SQ_D6], W_PAWN);
    UnmakeMove(BuildMove(SQ_E5, SQ_D6, KIND_EN_PASSANT), &record);
    EXPECT_EQ(pos.board[SQ_D5], B_PAWN);
}

// Only a set-up puts a pawn on the first or last rank, where a promotion can
// take it: it leaves as a pawn (count and pawn key), not as a piece.
TEST(MakeUnmake, PromotionTakingAPawnOnTheLastRank) {
    struct Case {
        const char* fen;
        Move move;
    };
    for (const Case& c : {Case{"1p2k3/P7/8/8/8/8/8/4K3 w - -", BuildMove(SQ_A7, SQ_B8, KIND_CAPTURE_PROMO_QUEEN)},
                          Case{"4k3/8/8/8/8/8/1p6/P3K3 b - -", BuildMove(SQ_B2, SQ_A1, KIND_CAPTURE_PROMO_KNIGHT)}}) {
        SetFen(c.fen);
        const Position before = pos;
        const Colour taker = pos.sideToMove, loser = Opponent(taker);
        PlyRecord record{};
        SaveSnapshot(&record);
        MakeMove(c.move, &record);
        EXPECT_EQ(CheckPositionInvariants(), nullptr) << c.fen;
        EXPECT_EQ(pos.pawnCount[loser], 0) << c.fen;
        EXPECT_EQ(pos.pieceMaterial[loser], 0) << c.fen;
        EXPECT_EQ(pos.pawnKey, 0u) << c.fen;  // no pawn is left
        EXPECT_EQ(pos.pieceMaterial[taker], before.pieceMaterial[taker] + (KindOfMove(c.move) == KIND_CAPTURE_PROMO_QUEEN ? 9 : 3));
        UnmakeMove(c.move, &record);
        EXPECT_TRUE(SamePosition(before, pos)) << c.fen;
    }
}

TEST(MakeUnmake, SpecialMovesAreRefused) {
    SetFen(START_FEN);
    const Position before = pos;
    PlyRecord record{};
    SaveSnapshot(&record);
    for (Move special : {MOVE_MATE, MOVE_STALEMATE, MOVE_REPETITION, MOVE_NULL, MOVE_FIFTY, MOVE_NO_MATERIAL}) {
        try {
            MakeMove(special, &record);
            ADD_FAILURE() << "MakeMove accepted " << special;
        } catch (const SpecialMoveError& e) {
            EXPECT_FALSE(e.value);
        }
        EXPECT_THROW(UnmakeMove(special, &record), SpecialMoveError);
    }
    EXPECT_TRUE(SamePosition(before, pos));
    EXPECT_EQ(historyTop, positionHistory);
}

// Along random games the incremental keys equal keys recomputed from the
// pieces plus the en-passant and lost castling-right terms; unmaking the
// whole game returns to the start exactly.
TEST(MakeUnmake, IncrementalKeysMatchRecomputedKeysAlongRandomGames) {
    std::mt19937 random(20261207);
    for (const char* fen : {START_FEN, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -"}) {
        for (int game = 0; game < 20; ++game) {
            SetFen(fen);
            const Position start = pos;
            std::vector<Move> played;
            std::vector<PlyRecord> records(200);
            Move legal[256];
            for (int count; played.size() < 200 && (count = GenerateLegalMoves(legal)) > 0;) {
                const Move move = legal[random() % count];
                SaveSnapshot(&records[played.size()]);
                MakeMove(move, &records[played.size()]);
                played.push_back(move);
                ASSERT_EQ(CheckPositionInvariants(), nullptr) << Text(move);
                const uint64_t ep = pos.epSquare ? keyTable[0][pos.epSquare] : 0;
                ASSERT_EQ(pos.hashKey, PieceKeys() ^ ep ^ CastleKeys(start.castleRights & ~pos.castleRights));
                ASSERT_EQ(pos.pawnKey, static_cast<uint32_t>(PieceKeys(true) ^ ep));
                ASSERT_EQ(historyTop->key, pos.hashKey);
            }
            while (!played.empty()) {
                UnmakeMove(played.back(), &records[played.size() - 1]);
                played.pop_back();
            }
            ASSERT_TRUE(SamePosition(start, pos));
        }
    }
}
