#include <gtest/gtest.h>

#include <random>

#include "eval/psqt.h"
#include "position_support.h"

using namespace movetest;

namespace {

using Lines = std::vector<std::string>;

Lines Full(const char* fen) {
    SetFen(fen);
    return Described(std::vector<ScoredMove>(moveStack, GenerateMoves[pos.sideToMove](moveStack)));
}
Lines Captures(const char* fen) {
    SetFen(fen);
    return Described(std::vector<ScoredMove>(moveStack, GenerateCaptures[pos.sideToMove](moveStack)));
}
Lines Evasions(const char* fen) {
    SetFen(fen);
    CheckInfo info;
    ComputeCheckInfo(&info);
    EXPECT_NE(info.checkers, 0u) << fen;
    return Described(std::vector<ScoredMove>(moveStack, GenerateEvasions[pos.sideToMove](moveStack, &info)));
}

int Pst(int code, const char* square) { return PstValue(code, Sq(square), pos.totalMaterial); }

}  // namespace

TEST(FullGenerator, StartPositionOrder) {
    EXPECT_EQ(Full(START_FEN),
              (Lines{"g1h3 -30000", "g1f3 -30000", "b1c3 -30000", "b1a3 -30000", "h2h4 -30000", "g2g4 -30000",
                     "f2f4 -30000", "e2e4 -30000", "d2d4 -30000", "c2c4 -30000", "b2b4 -30000", "a2a4 -30000",
                     "h2h3 -30000", "g2g3 -30000", "f2f3 -30000", "e2e3 -30000", "d2d3 -30000", "c2c3 -30000",
                     "b2b3 -30000", "a2a3 -30000"}));
    // The black list mirrors it.
    EXPECT_EQ(Full("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"),
              (Lines{"g8h6 -30000", "g8f6 -30000", "b8c6 -30000", "b8a6 -30000", "h7h5 -30000", "g7g5 -30000",
                     "f7f5 -30000", "e7e5 -30000", "d7d5 -30000", "c7c5 -30000", "b7b5 -30000", "a7a5 -30000",
                     "h7h6 -30000", "g7g6 -30000", "f7f6 -30000", "e7e6 -30000", "d7d6 -30000", "c7c6 -30000",
                     "b7b6 -30000", "a7a6 -30000"}));
}

TEST(FullGenerator, PromotionsByCaptureComeBeforeThoseByPush) {
    EXPECT_EQ(Full("k6r/6P1/8/8/8/8/8/K7 w - -"),
              (Lines{"g7h8q -8901", "g7h8n -29505", "g7h8r -29525", "g7h8b -29550", "g7g8q -9401", "g7g8n -30005",
                     "g7g8r -30025", "g7g8b -30050", "a1b1 -30000", "a1b2 -30000", "a1a2 -30000"}));
    EXPECT_EQ(Full("k7/8/8/8/8/8/1p6/R6K b - -"),
              (Lines{"b2a1q -8901", "b2a1n -29505", "b2a1r -29525", "b2a1b -29550", "b2b1q -9401", "b2b1n -30005",
                     "b2b1r -30025", "b2b1b -30050", "a8b7 -30000", "a8a7 -30000", "a8b8 -30000"}));
}

TEST(FullGenerator, EnPassantTowardTheAFileFirst) {
    EXPECT_EQ(Full("4k3/8/8/2PpP3/8/8/8/4K3 w - d6"),
              (Lines{"e5d6 -9500", "c5d6 -9500", "e5e6 -30000", "c5c6 -30000", "e1f1 -30000", "e1d1 -30000",
                     "e1f2 -30000", "e1e2 -30000", "e1d2 -30000"}));
    Lines black = Full("4k3/8/8/8/2pPp3/8/8/4K3 b - d3");
    ASSERT_GE(black.size(), 2u);
    EXPECT_EQ(black[0], "e4d3 -9500");  // from e - 7, toward the a-file
    EXPECT_EQ(black[1], "c4d3 -9500");
}

TEST(FullGenerator, PiecesInSectionOrderWithCaptureScores) {
    // Knight, queen, rook and bishop sections, each capture before its quiet
    // moves; victims worth the capturer or more are scored without exchange.
    const Lines list = Full("3r4/8/7k/1q6/8/8/8/QR1B1N1K w - -");
    const Lines expected{
        "f1h2 -30000", "f1d2 -30000", "f1g3 -30000", "f1e3 -30000",
        "a1b2 -30000", "a1a2 -30000", "a1c3 -30000", "a1a3 -30000", "a1d4 -30000", "a1a4 -30000",
        "a1e5 -30000", "a1a5 -30000", "a1f6 -30000", "a1a6 -30000", "a1g7 -30000", "a1a7 -30000",
        "a1h8 -30000", "a1a8 -30000",
        "b1b5 -9050", "b1c1 -30000", "b1b2 -30000", "b1b3 -30000", "b1b4 -30000",
        "d1e2 -30000", "d1c2 -30000", "d1f3 -30000", "d1b3 -30000", "d1g4 -30000", "d1a4 -30000",
        "d1h5 -30000",
        "h1g1 -30000", "h1h2 -30000", "h1g2 -30000",
    };
    EXPECT_EQ(list, expected);
}

TEST(FullGenerator, KingsNeverStandSideBySide) {
    EXPECT_EQ(Full("8/8/4k3/8/4K3/8/8/8 w - -"),
              (Lines{"e4f3 -30000", "e4e3 -30000", "e4d3 -30000", "e4f4 -30000", "e4d4 -30000"}));
}

TEST(FullGenerator, CastlingNeedsEmptySquaresAndComesLast) {
    Lines both = Full("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    ASSERT_GE(both.size(), 2u);
    EXPECT_EQ(both[both.size() - 2], "e1g1 -29000");
    EXPECT_EQ(both.back(), "e1c1 -29500");
    for (const std::string& m : Full("r3k2r/8/8/8/8/8/8/R3KB1R w KQkq -")) EXPECT_NE(m, "e1g1 -29000");
    for (const std::string& m : Full("r3k2r/8/8/8/8/8/8/RN2K2R w KQkq -")) EXPECT_NE(m, "e1c1 -29500");
    Lines black = Full("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    EXPECT_EQ(black[black.size() - 2], "e8g8 -29000");
    EXPECT_EQ(black.back(), "e8c8 -29500");
}

namespace {
// The generator's list after the position was changed behind the set-up's back.
Lines FullAsIs() {
    return Described(std::vector<ScoredMove>(moveStack, GenerateMoves[pos.sideToMove](moveStack)));
}
}  // namespace

// A position that only a side-to-move change ("white", "black") or another
// shortcut past the set-up's checks could produce must not yield moves that
// corrupt the board.
TEST(FullGenerator, BrokenPositionsYieldNoHarmfulMoves) {
    // Rights without king or rook in place.
    for (const char* fen : {"4k3/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/3K3R w - -", "4k3/8/8/8/8/8/8/4K3 b - -"}) {
        SetFen(fen);
        pos.castleRights = CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG | CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG;
        for (const std::string& m : FullAsIs()) EXPECT_EQ(m.find("-29"), std::string::npos) << fen << ": " << m;
    }
    // An en-passant square left from the other side's double step.
    SetFen("4k3/8/8/8/8/8/3P4/4K3 w - -");
    pos.epSquare = SQ_E3;
    for (const std::string& m : FullAsIs()) EXPECT_NE(m.substr(0, 4), "d2e3");
    SetFen("4k3/8/8/3P4/8/8/8/4K3 w - -");
    pos.epSquare = SQ_E6;
    for (const std::string& m : FullAsIs()) EXPECT_NE(m.substr(0, 4), "d5e6");
    // The king of the side not to move stands attacked: it is never captured.
    for (const char* fen : {"4k3/8/8/8/8/8/8/4R1K1 b - -", "4k3/3P4/8/8/8/8/8/6K1 b - -", "4k3/8/3N4/8/8/8/8/6K1 b - -"}) {
        SetFen(fen);
        pos.sideToMove = WHITE;
        const int enemyKing = pos.kingSq[BLACK];
        for (auto gen : {GenerateMoves[WHITE], GenerateCaptures[WHITE]}) {
            for (ScoredMove* m = moveStack; m != gen(moveStack); ++m) EXPECT_NE(ToOf(m->move), enemyKing) << fen;
        }
        EXPECT_FALSE(IsPseudoLegal(BuildMove(SQ_E1, SQ_E8, KIND_CAPTURE)));
    }
}

TEST(CaptureGenerator, KeepsOnlyCapturesThatDoNotLose) {
    // Undefended pawn: written. Defended by a pawn: dropped.
    SetFen("4k3/8/8/3p4/8/2N5/8/4K3 w - -");
    const int undefended = -Pst(W_KNIGHT, "c3") + Pst(W_KNIGHT, "d5") + Pst(B_PAWN, "d5") + 100 - 9500;
    EXPECT_EQ(Captures("4k3/8/8/3p4/8/2N5/8/4K3 w - -"), (Lines{"c3d5 " + std::to_string(undefended)}));
    EXPECT_EQ(Captures("4k3/8/4p3/3p4/8/2N5/8/4K3 w - -"), Lines{});
    // Rook takes a rook defended by the queen: no exchange evaluation, 500 - 10000.
    EXPECT_EQ(Captures("3qk3/8/8/3r4/8/8/8/3RK3 w - -"), (Lines{"d1d5 -9500"}));
}

TEST(CaptureGenerator, QueenPromotionPushOnlyWhenItSurvives) {
    SetFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
    const int safe = -Pst(W_PAWN, "b7") + Pst(W_QUEEN, "b8") + 800 - 9500;
    EXPECT_EQ(Captures("4k3/1P6/8/8/8/8/8/4K3 w - -"), (Lines{"b7b8q " + std::to_string(safe)}));
    EXPECT_EQ(Captures("7r/1P6/8/8/8/8/8/k3K3 w - -"), Lines{});
    // Capturing promotions keep all four pieces, and pawn captures come first.
    EXPECT_EQ(Captures("r1n1k3/1P6/8/8/8/8/8/4K3 w - -"),
              (Lines{"b7a8q -8901", "b7a8n -29505", "b7a8r -29525", "b7a8b -29550", "b7c8q -9091", "b7c8n -29695",
                     "b7c8r -29715", "b7c8b -29740"}));
}

TEST(CaptureGenerator, KingNeverTakesNextToTheOtherKing) {
    EXPECT_EQ(Captures("8/8/8/8/8/1k6/2n5/3K4 w - -"), Lines{});
    SetFen("8/8/8/8/8/k7/2n5/3K4 w - -");
    const int free = -Pst(W_KING, "d1") + Pst(W_KING, "c2") + Pst(B_KNIGHT, "c2") + 310 - 9500;
    EXPECT_EQ(Captures("8/8/8/8/8/k7/2n5/3K4 w - -"), (Lines{"d1c2 " + std::to_string(free)}));
}

TEST(CheckInfo, OnlyRealCheckersAndTheRaysTheGeneratorNeeds) {
    // Queen checks on a diagonal; the rook on the king's rank is screened.
    SetFen("8/8/8/8/r1N1K3/8/2q5/7k w - -");
    CheckInfo info{};
    info.rookRays = ~Bitboard{0};
    ComputeCheckInfo(&info);
    EXPECT_EQ(info.checkers, Bit(SQ_C2));
    EXPECT_EQ(info.rookRays, 0u);
    // Knight and pawn checkers.
    SetFen("8/8/5n2/3p4/4K3/8/8/7k w - -");
    ComputeCheckInfo(&info);
    EXPECT_EQ(info.checkers, Bit(SQ_D5) | Bit(SQ_F6));
    SetFen("7k/8/8/8/8/8/8/K7 w - -");
    ComputeCheckInfo(&info);
    EXPECT_EQ(info.checkers, 0u);
}

TEST(EvasionGenerator, InterpositionsCapturesAndKingMoves) {
    // Rook checks down the e-file: the bishop blocks on e2 and e4, the king
    // may not step to e2 but may to d1.
    EXPECT_EQ(Evasions("4r2k/8/8/8/8/3B4/8/4K3 w - -"),
              (Lines{"d3e2 -30315", "d3e4 -30315", "e1f1 -30000", "e1d1 -30000", "e1f2 -30000", "e1d2 -30000"}));
    // Knight check: captures of the knight and king moves only.
    EXPECT_EQ(Evasions("7k/8/8/8/8/3n4/2P5/1R2K3 w - -"),
              (Lines{"c2d3 -9290", "e1f1 -30000", "e1d1 -30000", "e1f2 -30000", "e1e2 -30000", "e1d2 -30000"}));
    // A defended checker next to the king: the king's capture sorts last.
    EXPECT_EQ(Evasions("4r2k/8/8/8/8/8/4q3/4K3 w - -"),
              (Lines{"e1e2 -32767", "e1f1 -30000", "e1d1 -30000", "e1f2 -30000", "e1d2 -30000"}));
}

TEST(EvasionGenerator, PawnBlocksInTheirOrder) {
    // Queen on a1 checks the king on h8 along the long diagonal; pawns on
    // e2 (double step to e4 is no block, single to e3 neither), d2 can block
    // on d4 by a double step, and f5 on f6.
    EXPECT_EQ(Evasions("7K/8/8/5P2/8/8/3P4/q6k w - -"),
              (Lines{"d2d4 -30000", "f5f6 -30000", "h8h7 -30000", "h8g8 -30000"}));
    EXPECT_EQ(Evasions("K5rk/1P6/8/8/8/8/8/8 w - -"),
              (Lines{"b7b8q -9401", "b7b8n -30005", "b7b8r -30025", "b7b8b -30050", "a8a7 -30000"}));
    EXPECT_EQ(Evasions("1r5k/P7/8/8/8/8/8/1K6 w - -"),
              (Lines{"a7b8q -8901", "a7b8n -29505", "a7b8r -29525", "a7b8b -29550", "b1c1 -30000", "b1a1 -30000",
                     "b1c2 -30000", "b1a2 -30000"}));
}

TEST(EvasionGenerator, EnPassantOnlyAgainstTheCheckingPawn) {
    EXPECT_EQ(Evasions("7k/8/8/2PpP3/4K3/8/8/8 w - d6")[0], "c5d6 -9500");
    EXPECT_EQ(Evasions("7k/8/8/2PpP3/4K3/8/8/8 w - d6")[1], "e5d6 -9500");
    for (const std::string& m : Evasions("7k/8/8/3pP3/8/8/8/r3K3 w - d6")) EXPECT_NE(m, "e5d6 -9500");
    const Lines black = Evasions("8/8/8/4k3/2pPp3/8/8/7K b - d3");
    EXPECT_EQ(black[0], "c4d3 -9500");
    EXPECT_EQ(black[1], "e4d3 -9500");
}

TEST(EvasionGenerator, DoubleCheckGivesOnlyKingMoves) {
    // Rook on e8 and knight on f3 both check the king on e1; the king may take the knight.
    for (const std::string& m : Evasions("4r2k/8/8/8/8/5n2/3B4/4K3 w - -")) EXPECT_EQ(m.substr(0, 2), "e1") << m;
    const Lines list = Evasions("4r2k/8/8/8/8/5n2/3B4/4K3 w - -");
    EXPECT_NE(std::find(list.begin(), list.end(), "e1f2 -30000"), list.end());
}

TEST(EvasionGenerator, DoubleCheckByAdjacentDefendedPieces) {
    EXPECT_EQ(Evasions("7k/8/8/8/8/8/3q4/3rK3 w - -"),
              (Lines{"e1d1 -32767", "e1d2 -32767", "e1f1 -30000", "e1f2 -30000", "e1e2 -30000"}));
}

// On random positions in check the evasions admit exactly the legal moves
// that the full generator and the legality test admit.
TEST(EvasionGenerator, SameLegalMovesAsTheFullGenerator) {
    const char* starts[] = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    };
    std::mt19937 random(7);
    int checks = 0;
    for (const char* fen : starts) {
        for (int game = 0; game < 40; ++game) {
            SetFen(fen);
            std::vector<PlyRecord> records(300);
            for (int ply = 0; ply < 300; ++ply) {
                CheckInfo info;
                ComputeCheckInfo(&info);
                if (info.checkers) {
                    ++checks;
                    ScoredMove* end = GenerateEvasions[pos.sideToMove](moveStack, &info);
                    const std::vector<Move> evasions = LegalOf(std::vector<ScoredMove>(moveStack, end));
                    end = GenerateMoves[pos.sideToMove](moveStack);
                    const std::vector<Move> all = LegalOf(std::vector<ScoredMove>(moveStack, end));
                    char fenText[96];
                    GetFen(fenText);
                    ASSERT_EQ(evasions, all) << fenText;
                }
                Move legal[256];
                const int count = GenerateLegalMoves(legal);
                if (count == 0) break;
                SaveSnapshot(&records[ply]);
                MakeMove(legal[random() % count], &records[ply]);
            }
        }
    }
    EXPECT_GT(checks, 200);
}
