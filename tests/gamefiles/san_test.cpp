#include <cstring>

#include "board/keys.h"
#include "gamefiles/san.h"
#include "tests/gamefiles/gamefiles_helpers.h"

namespace {

using namespace gamefiles_test;

class San : public ::testing::Test {
protected:
    void SetUp() override { PrepareEngine(); }
    void Set(const char* fen) { ASSERT_TRUE(SetBoard(fen, false)) << fen; }
};

constexpr Move M(int from, int to, int kind) { return BuildMove(from, to, kind); }

TEST_F(San, PawnStepsAndPieceMovesFromTheStart) {
    Set(START_FEN);
    EXPECT_EQ(ParseSan("e4"), M(SQ_E2, SQ_E4, KIND_QUIET));
    EXPECT_EQ(ParseSan("e3"), M(SQ_E2, SQ_E3, KIND_QUIET));
    EXPECT_EQ(ParseSan("Nf3"), M(SQ_G1, SQ_F3, KIND_QUIET));
    EXPECT_EQ(ParseSan("Nc3"), M(SQ_B1, SQ_C3, KIND_QUIET));
    // Coordinates, with and without a leading piece letter.
    EXPECT_EQ(ParseSan("e2e4"), M(SQ_E2, SQ_E4, KIND_QUIET));
    EXPECT_EQ(ParseSan("Ng1f3"), M(SQ_G1, SQ_F3, KIND_QUIET));
    EXPECT_EQ(ParseSan("g1-f3"), M(SQ_G1, SQ_F3, KIND_QUIET));

    Set("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    EXPECT_EQ(ParseSan("e5"), M(SQ_E7, SQ_E5, KIND_QUIET));
    EXPECT_EQ(ParseSan("e6"), M(SQ_E7, SQ_E6, KIND_QUIET));
    EXPECT_EQ(ParseSan("Nf6"), M(SQ_G8, SQ_F6, KIND_QUIET));
}

TEST_F(San, MarksAndAnnotationsAreIgnored) {
    Set(START_FEN);
    const Move nf3 = M(SQ_G1, SQ_F3, KIND_QUIET);
    for (const char* text : {"Nf3!", "Nf3?", "Nf3!?", "Nf3?!", "Nf3!!", "Nf3??", "Nf3+", "Nf3#", "Ng1xf3"})
        EXPECT_EQ(ParseSan(text), nf3) << text;
    // Only the first nine characters count.
    Set("4k3/8/8/8/8/5N2/8/1N2K3 w - -");
    EXPECT_EQ(ParseSan("Nbd2!!?"), M(SQ_B1, SQ_D2, KIND_QUIET));
    EXPECT_EQ(ParseSan("Nbd2!!?!?!?!?"), M(SQ_B1, SQ_D2, KIND_QUIET));
}

TEST_F(San, DisambiguationByFileRankAndBoth) {
    // Two knights reach d2: the plain text is ambiguous, the file decides.
    Set("4k3/8/8/8/8/5N2/8/1N2K3 w - -");
    EXPECT_EQ(ParseSan("Nd2"), MOVE_NONE);
    EXPECT_EQ(ParseSan("Nbd2"), M(SQ_B1, SQ_D2, KIND_QUIET));
    EXPECT_EQ(ParseSan("Nfd2"), M(SQ_F3, SQ_D2, KIND_QUIET));
    // The f3 knight is pinned: only b1 can go.
    Set("4k3/8/8/3b4/8/5N2/8/1N5K w - -");
    EXPECT_EQ(ParseSan("Nd2"), M(SQ_B1, SQ_D2, KIND_QUIET));
    // Rooks on one file: the rank decides.
    Set("4k3/8/8/R7/8/8/8/R3K3 w - -");
    EXPECT_EQ(ParseSan("Ra3"), MOVE_NONE);
    EXPECT_EQ(ParseSan("R1a3"), M(SQ_A1, SQ_A3, KIND_QUIET));
    EXPECT_EQ(ParseSan("R5a3"), M(SQ_A5, SQ_A3, KIND_QUIET));
    // Three queens on b2's diagonals: neither file nor rank alone decides.
    Set("4k3/8/8/8/8/Q7/8/Q1Q1K3 w - -");
    EXPECT_EQ(ParseSan("Qb2"), MOVE_NONE);
    EXPECT_EQ(ParseSan("Qab2"), MOVE_NONE);
    EXPECT_EQ(ParseSan("Q1b2"), MOVE_NONE);
    EXPECT_EQ(ParseSan("Qa1b2"), M(SQ_A1, SQ_B2, KIND_QUIET));
    EXPECT_EQ(ParseSan("Qa3xb2"), M(SQ_A3, SQ_B2, KIND_QUIET));
    EXPECT_EQ(ParseSan("Qcb2"), M(SQ_C1, SQ_B2, KIND_QUIET));
}

TEST_F(San, CapturesAndEnPassant) {
    Set("4k3/8/8/3p4/4P3/8/8/4K3 w - -");
    EXPECT_EQ(ParseSan("exd5"), M(SQ_E4, SQ_D5, KIND_CAPTURE));
    EXPECT_EQ(ParseSan("exd5+"), M(SQ_E4, SQ_D5, KIND_CAPTURE));
    EXPECT_EQ(ParseSan("ed5"), M(SQ_E4, SQ_D5, KIND_CAPTURE));
    // Coordinates and long algebraic name the same capture.
    for (const char* text : {"e4d5", "e4xd5", "e4-d5", "e4xd5+"}) EXPECT_EQ(ParseSan(text), M(SQ_E4, SQ_D5, KIND_CAPTURE)) << text;
    EXPECT_EQ(ParseSan("cxd5"), MOVE_NONE);  // no pawn on c4
    EXPECT_EQ(ParseSan("dxd5"), MOVE_NONE);  // not a diagonal
    Set("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
    EXPECT_EQ(ParseSan("exd6"), M(SQ_E5, SQ_D6, KIND_EN_PASSANT));
    EXPECT_EQ(ParseSan("e5d6"), M(SQ_E5, SQ_D6, KIND_EN_PASSANT));
    Set("4k3/8/8/8/3pP3/8/8/4K3 b - e3");
    EXPECT_EQ(ParseSan("dxe3"), M(SQ_D4, SQ_E3, KIND_EN_PASSANT));
    Set("4k3/8/8/8/8/8/8/R3K2r w - -");
    EXPECT_EQ(ParseSan("Rxh1"), MOVE_NONE);  // the rook on a1 is blocked by the king
    EXPECT_EQ(ParseSan("Kf2"), M(SQ_E1, SQ_F2, KIND_QUIET));
    Set("4k3/8/8/8/8/8/8/R4K1r w - -");
    EXPECT_EQ(ParseSan("Kxg1"), MOVE_NONE);  // attacked by the rook
    EXPECT_EQ(ParseSan("Ke2"), M(SQ_F1, SQ_E2, KIND_QUIET));
}

TEST_F(San, PromotionsWithAndWithoutSign) {
    Set("3r4/4P3/8/8/8/8/k5p1/4K3 w - -");
    EXPECT_EQ(ParseSan("e8=Q"), M(SQ_E7, SQ_E8, KIND_PROMO_QUEEN));
    EXPECT_EQ(ParseSan("e8Q"), M(SQ_E7, SQ_E8, KIND_PROMO_QUEEN));
    EXPECT_EQ(ParseSan("e8=N+"), M(SQ_E7, SQ_E8, KIND_PROMO_KNIGHT));
    EXPECT_EQ(ParseSan("e8r"), M(SQ_E7, SQ_E8, KIND_PROMO_ROOK));
    EXPECT_EQ(ParseSan("e8=B"), M(SQ_E7, SQ_E8, KIND_PROMO_BISHOP));
    EXPECT_EQ(ParseSan("exd8=N+"), M(SQ_E7, SQ_D8, KIND_CAPTURE_PROMO_KNIGHT));
    EXPECT_EQ(ParseSan("exd8Q"), M(SQ_E7, SQ_D8, KIND_CAPTURE_PROMO_QUEEN));
    EXPECT_EQ(ParseSan("e7e8q"), M(SQ_E7, SQ_E8, KIND_PROMO_QUEEN));
    EXPECT_EQ(ParseSan("e7d8r"), M(SQ_E7, SQ_D8, KIND_CAPTURE_PROMO_ROOK));
    // Not a move: a promotion without a piece, a capture onto an empty square.
    EXPECT_EQ(ParseSan("e8"), MOVE_NONE);
    EXPECT_EQ(ParseSan("exf8=Q"), MOVE_NONE);
    EXPECT_EQ(ParseSan("e8=K"), MOVE_NONE);
    Set("3r4/4P3/8/8/8/8/k5p1/4K3 b - -");
    EXPECT_EQ(ParseSan("g1=Q"), M(SQ_G2, SQ_G1, KIND_PROMO_QUEEN));
    EXPECT_EQ(ParseSan("g1N"), M(SQ_G2, SQ_G1, KIND_PROMO_KNIGHT));
    Set("4k3/8/8/8/8/8/6p1/4K2R b K -");
    EXPECT_EQ(ParseSan("gxh1=Q+"), M(SQ_G2, SQ_H1, KIND_CAPTURE_PROMO_QUEEN));
    EXPECT_EQ(ParseSan("g1=Q+"), M(SQ_G2, SQ_G1, KIND_PROMO_QUEEN));
}

TEST_F(San, CastlingWithTheLetterOAndDigitZero) {
    Set("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    for (const char* text : {"O-O", "0-0", "O-O+", "OO", "e1g1"}) EXPECT_EQ(ParseSan(text), MOVE_CASTLE_WHITE_SHORT) << text;
    for (const char* text : {"O-O-O", "0-0-0", "O-O-O#", "e1c1"}) EXPECT_EQ(ParseSan(text), MOVE_CASTLE_WHITE_LONG) << text;
    Set("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    EXPECT_EQ(ParseSan("O-O"), MOVE_CASTLE_BLACK_SHORT);
    EXPECT_EQ(ParseSan("O-O-O"), MOVE_CASTLE_BLACK_LONG);
    Set("r3k2r/8/8/8/8/8/8/R3K2R w kq -");
    EXPECT_EQ(ParseSan("O-O"), MOVE_NONE);
    EXPECT_EQ(ParseSan("O-O-O"), MOVE_NONE);
    // The notation alone names castling; the legality test rejects it here.
    Set(START_FEN);
    EXPECT_EQ(ReadSanMove("O-O"), MOVE_CASTLE_WHITE_SHORT);
    EXPECT_EQ(ParseSan("O-O"), MOVE_NONE);
}

TEST_F(San, IllegalOrMeaninglessTextGivesZero) {
    Set(START_FEN);
    for (const char* text : {"", "e5", "Nf6", "Kg2", "Ke2", "Bb5", "e1e2", "Z9", "xx", "e9", "i3", "Nxe4",
                             "exd3", "1-0", "0-1", "*", "O-O-O", "Qd1d4", "nf3", "e2e4e5e6e7"})
        EXPECT_EQ(ParseSan(text), MOVE_NONE) << '"' << text << '"';
    // The reading without the legality test names the king's move wherever the king is.
    EXPECT_EQ(ReadSanMove("Kg2"), M(SQ_E1, SQ_G2, KIND_CAPTURE));  // its own pawn
    EXPECT_EQ(ReadSanMove("Nf3"), M(SQ_G1, SQ_F3, KIND_QUIET));
}

TEST_F(San, PositionIsLeftAsFound) {
    Set("4k3/8/8/3b4/8/5N2/8/1N5K w - -");
    const Position before = pos;
    const HistoryEntry* top = historyTop;
    for (const char* text : {"Nd2", "Ne5", "Kg2", "Kg1", "Nbd2", "xyz"}) ParseSan(text);
    EXPECT_EQ(std::memcmp(&before, &pos, sizeof pos), 0);
    EXPECT_EQ(historyTop, top);
}

TEST_F(San, EpdBestAndAvoidMoves) {
    ASSERT_TRUE(SetBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nf3;", false));
    EXPECT_EQ(pos.epdBestMove, M(SQ_G1, SQ_F3, KIND_QUIET));
    EXPECT_EQ(pos.epdAvoidMove, MOVE_NONE);
    ASSERT_TRUE(SetBoard("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - am O-O-O;", false));
    EXPECT_EQ(pos.epdAvoidMove, MOVE_CASTLE_WHITE_LONG);
    EXPECT_EQ(pos.epdBestMove, MOVE_NONE);
    ASSERT_TRUE(SetBoard("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - bm e4d5;", false));
    EXPECT_EQ(pos.epdBestMove, M(SQ_E4, SQ_D5, KIND_CAPTURE));
    ASSERT_TRUE(SetBoard("k7/4P3/8/8/8/8/8/4K3 w - - bm e8=Q+;", false));
    EXPECT_EQ(pos.epdBestMove, M(SQ_E7, SQ_E8, KIND_PROMO_QUEEN));
    std::string out = CaptureOutput([] { EXPECT_FALSE(SetBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nf6;", false)); });
    EXPECT_EQ(out, "Warning cannot recognize move: Nf6\r\n");
}

}  // namespace
