#include <gtest/gtest.h>

#include <random>

#include "eval/psqt.h"
#include "position_support.h"

using namespace movetest;

namespace {

using Lines = std::vector<std::string>;

Lines Full() { return Described(moveStack, GenerateMoves[pos.sideToMove](moveStack)); }
Lines Full(const char* fen) { return SetFen(fen), Full(); }
Lines Captures(const char* fen) {
    SetFen(fen);
    return Described(moveStack, GenerateCaptures[pos.sideToMove](moveStack));
}
Lines Evasions(const char* fen) {
    SetFen(fen);
    CheckInfo info;
    ComputeCheckInfo(&info);
    EXPECT_NE(info.checkers, 0u) << fen;
    return Described(moveStack, GenerateEvasions[pos.sideToMove](moveStack, &info));
}
std::string Scored(const char* move, int score) { return std::string(move) + " " + std::to_string(score); }
int Pst(PieceCode code, const char* square) { return PstValue(code, Sq(square), pos.totalMaterial); }

}  // namespace

TEST(FullGenerator, SectionOrderAndScores) {
    EXPECT_EQ(Full(START_FEN), (Lines{"g1h3 -30000", "g1f3 -30000", "b1c3 -30000", "b1a3 -30000", "h2h4 -30000",
                                      "g2g4 -30000", "f2f4 -30000", "e2e4 -30000", "d2d4 -30000", "c2c4 -30000",
                                      "b2b4 -30000", "a2a4 -30000", "h2h3 -30000", "g2g3 -30000", "f2f3 -30000",
                                      "e2e3 -30000", "d2d3 -30000", "c2c3 -30000", "b2b3 -30000", "a2a3 -30000"}));
    // Knights, queens, rooks, bishops, king; captures before quiet moves.
    EXPECT_EQ(Full("3r4/8/7k/1q6/8/8/8/QR1B1N1K w - -"),
              (Lines{"f1h2 -30000", "f1d2 -30000", "f1g3 -30000", "f1e3 -30000", "a1b2 -30000", "a1a2 -30000",
                     "a1c3 -30000", "a1a3 -30000", "a1d4 -30000", "a1a4 -30000", "a1e5 -30000", "a1a5 -30000",
                     "a1f6 -30000", "a1a6 -30000", "a1g7 -30000", "a1a7 -30000", "a1h8 -30000", "a1a8 -30000",
                     "b1b5 -9050", "b1c1 -30000", "b1b2 -30000", "b1b3 -30000", "b1b4 -30000", "d1e2 -30000",
                     "d1c2 -30000", "d1f3 -30000", "d1b3 -30000", "d1g4 -30000", "d1a4 -30000", "d1h5 -30000",
                     "h1g1 -30000", "h1h2 -30000", "h1g2 -30000"}));
    // Promotions by capture (pawn sections) long before those by push; kings never side by side.
    EXPECT_EQ(Full("k6r/6P1/8/8/8/8/8/K7 w - -"),
              (Lines{"g7h8q -8901", "g7h8n -29505", "g7h8r -29525", "g7h8b -29550", "g7g8q -9401", "g7g8n -30005",
                     "g7g8r -30025", "g7g8b -30050", "a1b1 -30000", "a1b2 -30000", "a1a2 -30000"}));
    EXPECT_EQ(Full("8/8/4k3/8/4K3/8/8/8 w - -"),
              (Lines{"e4f3 -30000", "e4e3 -30000", "e4d3 -30000", "e4f4 -30000", "e4d4 -30000"}));
    // En passant: the section toward the a-file first.
    EXPECT_EQ(Full("4k3/8/8/2PpP3/8/8/8/4K3 w - d6"),
              (Lines{"e5d6 -9500", "c5d6 -9500", "e5e6 -30000", "c5c6 -30000", "e1f1 -30000", "e1d1 -30000",
                     "e1f2 -30000", "e1e2 -30000", "e1d2 -30000"}));
    EXPECT_EQ(Lines(Full("4k3/8/8/8/2pPp3/8/8/4K3 b - d3")).front(), "e4d3 -9500");
}

TEST(FullGenerator, CastlingLastAndOnlyOverEmptySquares) {
    Lines both = Full("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    EXPECT_EQ(Lines(both.end() - 2, both.end()), (Lines{"e8g8 -29000", "e8c8 -29500"}));
    for (const std::string& m : Full("r3k2r/8/8/8/8/8/8/RN2K1BR w KQkq -")) EXPECT_EQ(m.find("-29"), std::string::npos);
}

// A position that only a shortcut past the set-up's checks (a side-to-move
// change, say) could produce must not yield moves that corrupt the board.
TEST(FullGenerator, BrokenPositionsYieldNoHarmfulMoves) {
    SetFen("4k3/8/8/8/8/8/8/3K3R w - -");
    pos.castleRights = CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG;  // king and rook not at home
    for (const std::string& m : Full()) EXPECT_EQ(m.find("-29"), std::string::npos) << m;
    SetFen("4k3/8/8/8/8/8/3P4/4K3 w - -");
    pos.epSquare = SQ_E3;  // left by a white double step
    for (const std::string& m : Full()) EXPECT_NE(m.substr(0, 4), "d2e3");
    for (const char* fen : {"4k3/8/8/8/8/8/8/4R1K1 b - -", "4k3/3P4/8/8/8/8/8/6K1 b - -", "4k3/8/3N4/8/8/8/8/6K1 b - -"}) {
        SetFen(fen);
        pos.sideToMove = WHITE;  // the black king stands attacked: it is never a target
        for (auto gen : {GenerateMoves[WHITE], GenerateCaptures[WHITE]})
            for (ScoredMove* m = moveStack; m != gen(moveStack); ++m) EXPECT_NE(ToOf(m->move), SQ_E8) << fen;
        EXPECT_FALSE(IsPseudoLegal(BuildMove(SQ_E1, SQ_E8, KIND_CAPTURE)));
    }
}

TEST(CaptureGenerator, KeepsOnlyCapturesThatDoNotLose) {
    SetFen("4k3/8/8/3p4/8/2N5/8/4K3 w - -");
    const int free = -Pst(W_KNIGHT, "c3") + Pst(W_KNIGHT, "d5") + Pst(B_PAWN, "d5") + 100 - 9500;
    EXPECT_EQ(Captures("4k3/8/8/3p4/8/2N5/8/4K3 w - -"), Lines{Scored("c3d5", free)});
    EXPECT_EQ(Captures("4k3/8/4p3/3p4/8/2N5/8/4K3 w - -"), Lines{});  // defended by a pawn
    EXPECT_EQ(Captures("3qk3/8/8/3r4/8/8/8/3RK3 w - -"), Lines{"d1d5 -9500"});
    SetFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
    const int promotion = -Pst(W_PAWN, "b7") + Pst(W_QUEEN, "b8") + 800 - 9500;
    EXPECT_EQ(Captures("4k3/1P6/8/8/8/8/8/4K3 w - -"), Lines{Scored("b7b8q", promotion)});
    EXPECT_EQ(Captures("7r/1P6/8/8/8/8/8/k3K3 w - -"), Lines{});  // the queen would be lost
    EXPECT_EQ(Captures("r1n1k3/1P6/8/8/8/8/8/4K3 w - -"),
              (Lines{"b7a8q -8901", "b7a8n -29505", "b7a8r -29525", "b7a8b -29550", "b7c8q -9091", "b7c8n -29695",
                     "b7c8r -29715", "b7c8b -29740"}));
    EXPECT_EQ(Captures("8/8/8/8/8/1k6/2n5/3K4 w - -"), Lines{});  // next to the other king
}

TEST(CheckInfo, OnlyRealCheckersAndTheRaysTheGeneratorNeeds) {
    SetFen("8/8/8/8/r1N1K3/8/2q5/7k w - -");  // the rook on the king's rank is screened
    CheckInfo info{0, ~Bitboard{0}, 0};
    ComputeCheckInfo(&info);
    EXPECT_EQ(info.checkers, Bit(SQ_C2));
    EXPECT_EQ(info.rookRays, 0u);
    SetFen("8/8/5n2/3p4/4K3/8/8/7k w - -");
    ComputeCheckInfo(&info);
    EXPECT_EQ(info.checkers, Bit(SQ_D5) | Bit(SQ_F6));
    SetFen("8/8/8/3q4/8/8/8/R7 w - -");  // no king: never in check
    ComputeCheckInfo(&info);
    EXPECT_EQ(info.checkers, 0u);
}

TEST(EvasionGenerator, CapturesInterpositionsAndKingMoves) {
    EXPECT_EQ(Evasions("4r2k/8/8/8/8/3B4/8/4K3 w - -"),
              (Lines{"d3e2 -30315", "d3e4 -30315", "e1f1 -30000", "e1d1 -30000", "e1f2 -30000", "e1d2 -30000"}));
    EXPECT_EQ(Evasions("7k/8/8/8/8/3n4/2P5/1R2K3 w - -"),  // knight check: no interpositions
              (Lines{"c2d3 -9290", "e1f1 -30000", "e1d1 -30000", "e1f2 -30000", "e1e2 -30000", "e1d2 -30000"}));
    EXPECT_EQ(Evasions("4r2k/8/8/8/8/8/4q3/4K3 w - -"),  // defended checker next to the king
              (Lines{"e1e2 -32767", "e1f1 -30000", "e1d1 -30000", "e1f2 -30000", "e1d2 -30000"}));
    EXPECT_EQ(Evasions("7K/8/8/5P2/8/8/3P4/q6k w - -"),
              (Lines{"d2d4 -30000", "f5f6 -30000", "h8h7 -30000", "h8g8 -30000"}));
    EXPECT_EQ(Evasions("1r5k/P7/8/8/8/8/8/1K6 w - -"),
              (Lines{"a7b8q -8901", "a7b8n -29505", "a7b8r -29525", "a7b8b -29550", "b1c1 -30000", "b1a1 -30000",
                     "b1c2 -30000", "b1a2 -30000"}));
    EXPECT_EQ(Evasions("K5rk/1P6/8/8/8/8/8/8 w - -"),
              (Lines{"b7b8q -9401", "b7b8n -30005", "b7b8r -30025", "b7b8b -30050", "a8a7 -30000"}));
    // Double check: king moves only, a capture of a checker among them.
    EXPECT_EQ(Evasions("7k/8/8/8/8/8/3q4/3rK3 w - -"),
              (Lines{"e1d1 -32767", "e1d2 -32767", "e1f1 -30000", "e1f2 -30000", "e1e2 -30000"}));
}

TEST(EvasionGenerator, EnPassantOnlyAgainstTheCheckingPawn) {
    EXPECT_EQ(Lines(Evasions("7k/8/8/2PpP3/4K3/8/8/8 w - d6")).front(), "c5d6 -9500");
    EXPECT_EQ(Lines(Evasions("7k/8/8/2PpP3/4K3/8/8/8 w - d6"))[1], "e5d6 -9500");
    EXPECT_EQ(Lines(Evasions("8/8/8/4k3/2pPp3/8/8/7K b - d3"))[1], "e4d3 -9500");
    for (const std::string& m : Evasions("7k/8/8/3pP3/8/8/8/r3K3 w - d6")) EXPECT_NE(m, "e5d6 -9500");
}

// On random positions in check the evasions admit exactly the legal moves
// that the full generator and the legality test admit.
TEST(EvasionGenerator, SameLegalMovesAsTheFullGenerator) {
    std::mt19937 random(7);
    int checks = 0;
    for (const char* fen : {START_FEN, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                            "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -"}) {
        for (int game = 0; game < 40; ++game) {
            SetFen(fen);
            std::vector<PlyRecord> records(300);
            Move legal[256];
            for (int ply = 0, count; ply < 300 && (count = GenerateLegalMoves(legal)) > 0; ++ply) {
                CheckInfo info;
                ComputeCheckInfo(&info);
                if (info.checkers) {
                    ++checks;
                    ScoredMove* end = GenerateEvasions[pos.sideToMove](moveStack, &info);
                    const std::vector<Move> evasions = LegalOf(moveStack, end);
                    end = GenerateMoves[pos.sideToMove](moveStack);
                    char text[96];
                    GetFen(text);
                    ASSERT_EQ(evasions, LegalOf(moveStack, end)) << text;
                }
                SaveSnapshot(&records[ply]);
                MakeMove(legal[random() % count], &records[ply]);
            }
        }
    }
    EXPECT_GT(checks, 200);
}
