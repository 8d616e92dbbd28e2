#include <gtest/gtest.h>

#include "movegen/nullmove.h"
#include "position_support.h"

using namespace movetest;

namespace {

// Makes move, asks the legality test for the side that moved, unmakes.
bool Attacked(Move move) {
    PlyRecord record{};
    SaveSnapshot(&record);
    const Colour side = pos.sideToMove;
    MakeMove(move, &record);
    const bool attacked = KingAttackedAfterMove(move, side);
    UnmakeMove(move, &record);
    return attacked;
}

}  // namespace

TEST(Legality, CastlingPathAndPins) {
    SetFen("r3k2r/8/b7/8/8/8/8/R3K2R w KQkq -");  // bishop a6 attacks f1
    EXPECT_TRUE(Attacked(MOVE_CASTLE_WHITE_SHORT));
    EXPECT_FALSE(Attacked(MOVE_CASTLE_WHITE_LONG));
    SetFen("1r2k3/8/8/8/8/8/8/R3K3 w Q -");  // b1 need not be safe
    EXPECT_FALSE(Attacked(MOVE_CASTLE_WHITE_LONG));
    SetFen("8/8/8/8/8/8/6k1/4K2R w K -");  // enemy king next to the path
    EXPECT_TRUE(Attacked(MOVE_CASTLE_WHITE_SHORT));
    SetFen("k3r3/8/8/8/8/8/8/4K2R w K -");  // out of check
    EXPECT_TRUE(Attacked(MOVE_CASTLE_WHITE_SHORT));
    SetFen("r3k2r/2K5/8/8/8/8/8/3R4 b kq -");  // d8 attacked, white king next to the long path
    EXPECT_TRUE(Attacked(MOVE_CASTLE_BLACK_LONG));
    EXPECT_FALSE(Attacked(MOVE_CASTLE_BLACK_SHORT));
    SetFen("4r2k/8/8/8/8/8/4N3/4K3 w - -");
    EXPECT_TRUE(Attacked(BuildMove(SQ_E2, SQ_C3, KIND_QUIET)));
    SetFen("7k/8/8/K2pP2r/8/8/8/8 w - d6");  // en passant uncovers the rank
    EXPECT_TRUE(Attacked(BuildMove(SQ_E5, SQ_D6, KIND_EN_PASSANT)));
}

TEST(Legality, SideWithoutKingIsNeverInCheck) {
    SetFen("8/8/8/3q4/8/8/8/R7 w - -");
    EXPECT_FALSE(Attacked(BuildMove(SQ_A1, SQ_A2, KIND_QUIET)));
    Move legal[256];
    EXPECT_EQ(GenerateLegalMoves(legal), 14);
    SetFen("8/8/8/3q4/8/8/8/R7 b - -");
    EXPECT_EQ(GenerateLegalMoves(legal), 27);
}

TEST(Legality, PseudoLegalTestOfPieceMoves) {
    SetFen("r3k2r/8/8/8/8/2n5/4N3/RN2K1NR w KQkq -");
    EXPECT_TRUE(IsPseudoLegal(BuildMove(SQ_G1, SQ_F3, KIND_QUIET)));
    EXPECT_FALSE(IsPseudoLegal(BuildMove(SQ_G1, SQ_F3, KIND_CAPTURE)));
    EXPECT_FALSE(IsPseudoLegal(BuildMove(SQ_G1, SQ_E2, KIND_QUIET)));  // own piece
    EXPECT_TRUE(IsPseudoLegal(BuildMove(SQ_B1, SQ_C3, KIND_CAPTURE)));
    EXPECT_TRUE(IsPseudoLegal(BuildMove(SQ_A1, SQ_A8, KIND_CAPTURE)));
    EXPECT_FALSE(IsPseudoLegal(BuildMove(SQ_H1, SQ_F1, KIND_QUIET)));  // blocked by the knight on g1
    EXPECT_FALSE(IsPseudoLegal(MOVE_CASTLE_WHITE_SHORT));
    EXPECT_FALSE(IsPseudoLegal(BuildMove(SQ_E8, SQ_D8, KIND_QUIET)));  // not the side to move
}

TEST(Legality, LegalMoveListsAndIsLegalMove) {
    const std::pair<const char*, int> cases[] = {
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 48},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 6},
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -", 0},  // mate
        {"7k/5Q2/6K1/8/8/8/8/8 b - -", 0},                                 // stalemate
    };
    Move legal[256];
    for (const auto& [fen, count] : cases) {
        SetFen(fen);
        EXPECT_EQ(GenerateLegalMoves(legal), count) << fen;
    }
    SetFen("r3k2r/8/b7/8/8/8/3P4/R3K2R w KQkq -");
    const Position before = pos;
    currentPly->keySnapshot = 12345;  // a caller's snapshot survives
    EXPECT_TRUE(IsLegalMove(BuildMove(SQ_D2, SQ_D4, KIND_QUIET)));
    EXPECT_TRUE(IsLegalMove(MOVE_CASTLE_WHITE_LONG));
    EXPECT_FALSE(IsLegalMove(MOVE_CASTLE_WHITE_SHORT));
    EXPECT_FALSE(IsLegalMove(BuildMove(SQ_D2, SQ_D4, KIND_CAPTURE)));  // wrong kind
    EXPECT_FALSE(IsLegalMove(BuildMove(SQ_E1, SQ_F1, KIND_QUIET)));
    EXPECT_FALSE(IsLegalMove(MOVE_NONE));
    EXPECT_FALSE(IsLegalMove(MOVE_NULL));
    EXPECT_TRUE(SamePosition(before, pos));
    EXPECT_EQ(historyTop, positionHistory);
    EXPECT_EQ(currentPly->keySnapshot, 12345u);
}

TEST(NullMove, PassClearsTheEnPassantSquareAndUnmakeRestoresIt) {
    SetFen(START_FEN);
    PlyRecord first{}, record{}, child{};
    SaveSnapshot(&first);
    MakeMove(BuildMove(SQ_E2, SQ_E4, KIND_QUIET), &first);
    const Position before = pos;
    HistoryEntry* const top = historyTop;
    MakeNullMove(&record);
    EXPECT_EQ(pos.epSquare, 0);
    EXPECT_EQ(pos.hashKey, PieceKeys());
    EXPECT_EQ(pos.pawnKey, static_cast<uint32_t>(PieceKeys(true)));
    EXPECT_EQ(pos.sideToMove, WHITE);
    EXPECT_EQ(top->move, MOVE_NULL);
    EXPECT_EQ(historyTop->key, pos.hashKey);
    SaveSnapshot(&child);  // real moves nest on the pass, and the pass counts as a ply
    MakeMove(BuildMove(SQ_G1, SQ_F3, KIND_QUIET), &child);
    EXPECT_EQ(historyTop->reversiblePlies, top->reversiblePlies + 2);
    UnmakeMove(BuildMove(SQ_G1, SQ_F3, KIND_QUIET), &child);
    UnmakeNullMove(&record);
    EXPECT_TRUE(SamePosition(before, pos));
    EXPECT_EQ(historyTop, top);
}
