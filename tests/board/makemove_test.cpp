#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../movegen/position_support.h"

using namespace movetest;

namespace {

// Makes and unmakes every move of the position's lists (full and capture
// generators), checking the invariants after each step and the whole position
// after the unmake; returns the kinds met.
std::set<int> RoundTripAll() {
    std::set<int> kinds;
    const Position before = pos;
    HistoryEntry* const top = historyTop;
    const int side = pos.sideToMove;
    ScoredMove* const captures = moveStack + 256;
    std::vector<ScoredMove> list = Generated();
    list.insert(list.end(), captures, GenerateCaptures[side](captures));
    PlyRecord record{};
    SaveSnapshot(&record);
    for (const ScoredMove& m : list) {
        kinds.insert(KindOfMove(m.move));
        MakeMove(m.move, &record);
        EXPECT_EQ(CheckPositionInvariants(), nullptr) << "after making " << Text(m.move);
        EXPECT_EQ(historyTop, top + 1);
        EXPECT_EQ(historyTop->key, pos.hashKey);
        EXPECT_EQ(top->move, m.move);
        UnmakeMove(m.move, &record);
        EXPECT_EQ(CheckPositionInvariants(), nullptr) << "after unmaking " << Text(m.move);
        EXPECT_TRUE(SamePosition(before, pos)) << "unmake of " << Text(m.move);
        EXPECT_EQ(historyTop, top);
    }
    return kinds;
}

}  // namespace

TEST(MakeUnmake, EveryMoveKindRestoresThePositionBitForBit) {
    std::set<int> kinds;
    const char* fens[] = {
        "r3k2r/1P4P1/8/3pP3/8/8/6p1/R3K2R w KQkq d6",
        "r3k2r/1P4P1/8/8/3Pp3/8/6p1/R3K2R b KQkq d3",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -",
    };
    for (const char* fen : fens) {
        SetFen(fen);
        std::set<int> met = RoundTripAll();
        kinds.insert(met.begin(), met.end());
    }
    for (int kind = 0; kind < 16; ++kind) {
        if (kind == KIND_SPECIAL) continue;
        EXPECT_TRUE(kinds.count(kind)) << "kind " << kind << " never tried";
    }
}

TEST(MakeUnmake, DoubleStepSetsTheEnPassantSquareAndItsKey) {
    SetFen(START_FEN);
    const uint64_t startKey = pos.hashKey;
    const uint32_t startPawnKey = pos.pawnKey;
    PlyRecord record{};
    SaveSnapshot(&record);
    MakeMove(BuildMove(SQ_E2, SQ_E4, KIND_QUIET), &record);
    EXPECT_EQ(pos.epSquare, 44);
    const uint64_t delta = keyTable[W_PAWN][SQ_E2] ^ keyTable[W_PAWN][SQ_E4] ^ keyTable[0][44];
    EXPECT_EQ(pos.hashKey, startKey ^ delta);
    EXPECT_EQ(pos.pawnKey, startPawnKey ^ static_cast<uint32_t>(delta));
    EXPECT_EQ(historyTop->reversiblePlies, 0);
    EXPECT_EQ(pos.sideToMove, BLACK);

    // The next move clears the square and its key again; a knight move counts as reversible.
    PlyRecord second{};
    SaveSnapshot(&second);
    MakeMove(BuildMove(SQ_G8, SQ_F6, KIND_QUIET), &second);
    EXPECT_EQ(pos.epSquare, 0);
    EXPECT_EQ(pos.hashKey, startKey ^ keyTable[W_PAWN][SQ_E2] ^ keyTable[W_PAWN][SQ_E4] ^
                               keyTable[B_KNIGHT][SQ_G8] ^ keyTable[B_KNIGHT][SQ_F6]);
    EXPECT_EQ(historyTop->reversiblePlies, 1);
}

TEST(MakeUnmake, CapturingACornerRookRemovesThatRight) {
    SetFen("r3k2r/8/8/8/8/8/1B6/4K3 w kq -");
    const Position before = pos;
    PlyRecord record{};
    SaveSnapshot(&record);
    const Move move = BuildMove(SQ_B2, SQ_H8, KIND_CAPTURE);
    MakeMove(move, &record);
    EXPECT_EQ(record.materialChange, -5);
    EXPECT_EQ(record.capturedPiece, B_ROOK);
    EXPECT_EQ(pos.pieceMaterial[BLACK], before.pieceMaterial[BLACK] - 5);
    EXPECT_EQ(pos.totalMaterial, before.totalMaterial - 5);
    EXPECT_EQ(pos.castleRights, CASTLE_BLACK_LONG);
    EXPECT_EQ(pos.hashKey, PieceKeys() ^ keyTable[0][SQ_G8]);
    UnmakeMove(move, &record);
    EXPECT_TRUE(SamePosition(before, pos));
}

TEST(MakeUnmake, UnderPromotionChangesTheCounters) {
    SetFen("7k/4P3/8/8/8/8/8/4K3 w - -");
    const Position before = pos;
    PlyRecord record{};
    SaveSnapshot(&record);
    const Move move = BuildMove(SQ_E7, SQ_E8, KIND_PROMO_KNIGHT);
    MakeMove(move, &record);
    EXPECT_EQ(pos.board[SQ_E8], W_KNIGHT);
    EXPECT_EQ(pos.totalMaterial, before.totalMaterial + 2);
    EXPECT_EQ(pos.pieceMaterial[WHITE], before.pieceMaterial[WHITE] + 3);
    EXPECT_EQ(pos.pawnCount[WHITE], before.pawnCount[WHITE] - 1);
    EXPECT_EQ(pos.pawnKey, 0u);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    UnmakeMove(move, &record);
    EXPECT_TRUE(SamePosition(before, pos));
}

TEST(MakeUnmake, CastlingMovesRookAndKingAndDropsBothRights) {
    SetFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    const Position before = pos;
    PlyRecord record{};
    SaveSnapshot(&record);
    MakeMove(MOVE_CASTLE_WHITE_SHORT, &record);
    EXPECT_EQ(pos.castleRights, CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG);
    EXPECT_EQ(pos.hashKey, before.hashKey ^ keyTable[0][SQ_G1] ^ keyTable[0][SQ_C1] ^ keyTable[W_KING][SQ_E1] ^
                               keyTable[W_KING][SQ_G1] ^ keyTable[W_ROOK][SQ_H1] ^ keyTable[W_ROOK][SQ_F1]);
    EXPECT_EQ(pos.kingSq[WHITE], SQ_G1);
    EXPECT_EQ(pos.board[SQ_F1], W_ROOK);
    EXPECT_EQ(pos.board[SQ_H1], EMPTY);
    EXPECT_EQ(historyTop->reversiblePlies, 0);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    UnmakeMove(MOVE_CASTLE_WHITE_SHORT, &record);
    EXPECT_TRUE(SamePosition(before, pos));

    // Black long castling: a, c, d and e squares change, b8 stays empty.
    pos.sideToMove = BLACK;
    const Position blackBefore = pos;
    SaveSnapshot(&record);
    MakeMove(MOVE_CASTLE_BLACK_LONG, &record);
    EXPECT_EQ(pos.board[SQ_C8], B_KING);
    EXPECT_EQ(pos.board[SQ_D8], B_ROOK);
    EXPECT_EQ(pos.board[SQ_A8], EMPTY);
    EXPECT_EQ(pos.board[SQ_B8], EMPTY);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    UnmakeMove(MOVE_CASTLE_BLACK_LONG, &record);
    EXPECT_TRUE(SamePosition(blackBefore, pos));
}

TEST(MakeUnmake, EnPassantEmptiesBothSquaresAndUnmakeRestoresThePawn) {
    SetFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
    const Position before = pos;
    PlyRecord record{};
    SaveSnapshot(&record);
    const Move move = BuildMove(SQ_E5, SQ_D6, KIND_EN_PASSANT);
    MakeMove(move, &record);
    EXPECT_EQ(pos.board[SQ_D5], EMPTY);
    EXPECT_EQ(pos.board[SQ_E5], EMPTY);
    EXPECT_EQ(pos.board[SQ_D6], W_PAWN);
    EXPECT_EQ(pos.pawnCount[BLACK], 0);
    EXPECT_EQ(pos.totalMaterial, before.totalMaterial - 1);
    EXPECT_EQ(CheckPositionInvariants(), nullptr);
    UnmakeMove(move, &record);
    EXPECT_EQ(pos.board[SQ_D5], B_PAWN);
    EXPECT_TRUE(SamePosition(before, pos));
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
    const char* starts[] = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    };
    std::mt19937 random(20261207);
    for (const char* fen : starts) {
        for (int game = 0; game < 20; ++game) {
            SetFen(fen);
            const Position start = pos;
            const unsigned startRights = pos.castleRights;
            std::vector<Move> played;
            std::vector<PlyRecord> records(200);
            for (int ply = 0; ply < 200; ++ply) {
                Move legal[256];
                const int count = GenerateLegalMoves(legal);
                if (count == 0) break;
                const Move move = legal[random() % count];
                SaveSnapshot(&records[ply]);
                MakeMove(move, &records[ply]);
                played.push_back(move);
                ASSERT_EQ(CheckPositionInvariants(), nullptr) << Text(move);
                const uint64_t ep = pos.epSquare ? keyTable[0][pos.epSquare] : 0;
                ASSERT_EQ(pos.hashKey, PieceKeys() ^ ep ^ CastleKeys(startRights & ~pos.castleRights)) << Text(move);
                ASSERT_EQ(pos.pawnKey, PawnKeys() ^ static_cast<uint32_t>(ep)) << Text(move);
                ASSERT_EQ(historyTop->key, pos.hashKey);
            }
            for (int ply = static_cast<int>(played.size()) - 1; ply >= 0; --ply) UnmakeMove(played[ply], &records[ply]);
            ASSERT_TRUE(SamePosition(start, pos));
            ASSERT_EQ(historyTop, positionHistory);
        }
    }
}
