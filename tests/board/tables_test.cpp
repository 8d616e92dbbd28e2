#include <gtest/gtest.h>

#include <random>

#include "board/tables.h"

namespace {

class Tables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTables(); }
};

Bitboard B(int sq) { return Bitboard{1} << (63 - sq); }

// Plain ray walk: step from sq until the edge or the first occupied square.
Bitboard Walk(int sq, Bitboard occupied, const int (*directions)[2], int count) {
    Bitboard result = 0;
    for (int d = 0; d < count; ++d) {
        int r = RowOf(sq) + directions[d][0], c = ColumnOf(sq) + directions[d][1];
        while (r >= 0 && r < 8 && c >= 0 && c < 8) {
            result |= B(r * 8 + c);
            if (occupied & B(r * 8 + c)) break;
            r += directions[d][0];
            c += directions[d][1];
        }
    }
    return result;
}
constexpr int ROOK_DIRECTIONS[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr int BISHOP_DIRECTIONS[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};

Bitboard Of(std::initializer_list<int> squares) {
    Bitboard result = 0;
    for (int sq : squares) result |= B(sq);
    return result;
}

}  // namespace

TEST_F(Tables, SlidingLookupsMatchRayWalkOnRandomOccupancies) {
    std::mt19937_64 random(12345);
    for (int trial = 0; trial < 2000; ++trial) {
        // Mix sparse and dense boards so that both long rays and near blockers occur.
        Bitboard occupied = random();
        if (trial % 3 == 0) occupied &= random();
        if (trial % 3 == 1) occupied &= random() & random();
        pos.occupied = occupied;
        pos.occFiles = RotateFiles(occupied);
        pos.occDiagA1H8 = RotateDiagA1H8(occupied);
        pos.occDiagA8H1 = RotateDiagA8H1(occupied);
        for (int sq = 0; sq < 64; ++sq) {
            const Bitboard rook = Walk(sq, occupied, ROOK_DIRECTIONS, 4);
            const Bitboard bishop = Walk(sq, occupied, BISHOP_DIRECTIONS, 4);
            ASSERT_EQ(RookAttacks(sq), rook) << "square " << sq << " trial " << trial;
            ASSERT_EQ(BishopAttacks(sq), bishop) << "square " << sq << " trial " << trial;
            ASSERT_EQ(QueenAttacks(sq), rook | bishop);
        }
    }
    pos = Position{};
}

TEST_F(Tables, RotationsPlaceEachSquareOnItsOwnBit) {
    Bitboard files = 0, a1h8 = 0, a8h1 = 0;
    for (int sq = 0; sq < 64; ++sq) {
        EXPECT_EQ(squareBit[sq], B(sq));
        EXPECT_EQ(FirstSquare(squareBit[sq]), sq);
        EXPECT_EQ(__builtin_popcountll(squareBitFiles[sq]), 1);
        files |= squareBitFiles[sq];
        a1h8 |= squareBitA1H8[sq];
        a8h1 |= squareBitA8H1[sq];
        // The line byte read back through shift and mask holds the square.
        EXPECT_NE((squareBitA1H8[sq] >> shiftA1H8[sq]) & maskA1H8[sq], 0u) << sq;
        EXPECT_NE((squareBitA8H1[sq] >> shiftA8H1[sq]) & maskA8H1[sq], 0u) << sq;
    }
    EXPECT_EQ(files, ~Bitboard{0});
    EXPECT_EQ(a1h8, ~Bitboard{0});
    EXPECT_EQ(a8h1, ~Bitboard{0});
    // Layouts written out: file a is the bottom byte of the file rotation,
    // the a1-h8 enumeration starts a8, a7, b8 and the a8-h1 one h8, g8, h7.
    EXPECT_EQ(squareBitFiles[SQ_A8], Bitboard{1} << 7);
    EXPECT_EQ(squareBitFiles[SQ_A1], Bitboard{1});
    EXPECT_EQ(squareBitFiles[SQ_H8], Bitboard{1} << 63);
    EXPECT_EQ(squareBitA1H8[SQ_A7], Bitboard{1} << 62);
    EXPECT_EQ(squareBitA1H8[SQ_B8], Bitboard{1} << 61);
    EXPECT_EQ(squareBitA1H8[SQ_H1], Bitboard{1});
    EXPECT_EQ(squareBitA8H1[SQ_G8], Bitboard{1} << 62);
    EXPECT_EQ(squareBitA8H1[SQ_A1], Bitboard{1});
    const uint8_t shiftRank8[8] = {63, 61, 58, 54, 49, 43, 36, 28};
    const uint8_t shiftRank1[8] = {28, 21, 15, 10, 6, 3, 1, 0};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(shiftA1H8[c], shiftRank8[c]);
        EXPECT_EQ(shiftA1H8[56 + c], shiftRank1[c]);
        EXPECT_EQ(shiftA8H1[c], shiftRank8[7 - c]);
        EXPECT_EQ(shiftA8H1[56 + c], shiftRank1[7 - c]);
        EXPECT_EQ(maskA1H8[c], (1 << (c + 1)) - 1);
        EXPECT_EQ(maskA8H1[c], (1 << (8 - c)) - 1);
    }
    EXPECT_EQ(FirstSquare(Of({SQ_A8, SQ_E4, SQ_H1})), SQ_H1);
    EXPECT_EQ(FirstSquare(Of({SQ_A8, SQ_E4})), SQ_E4);
}

TEST_F(Tables, LeaperPawnAndLineEntries) {
    EXPECT_EQ(rankAttacks[SQ_A1][0x80 | 0x08], Of({SQ_B1, SQ_C1, SQ_D1, SQ_E1}));
    EXPECT_EQ(diagA1H8Attacks[SQ_C3][0], Of({SQ_A1, SQ_B2, SQ_D4, SQ_E5, SQ_F6, SQ_G7, SQ_H8}));
    EXPECT_EQ(knightAttacks[SQ_A8], Of({SQ_B6, SQ_C7}));
    EXPECT_EQ(kingAttacks[SQ_H1], Of({SQ_G1, SQ_G2, SQ_H2}));
    EXPECT_EQ(__builtin_popcountll(knightAttacks[SQ_E4]), 8);
    EXPECT_EQ(whitePawnAttacks[SQ_A2], Of({SQ_B3}));
    EXPECT_EQ(blackPawnAttacks[SQ_H7], Of({SQ_G6}));
    EXPECT_EQ(whitePawnAttacks[SQ_E1], Of({SQ_D2, SQ_F2}));
    EXPECT_EQ(whitePawnAttacks[SQ_E8], 0u);
    EXPECT_EQ(blackPawnAttacks[SQ_E1], 0u);
    for (int sq = 0; sq < 64; ++sq) {
        EXPECT_EQ(rookRays[sq], Walk(sq, 0, ROOK_DIRECTIONS, 4));
        EXPECT_EQ(bishopRays[sq], Walk(sq, 0, BISHOP_DIRECTIONS, 4));
        EXPECT_EQ(queenRays[sq], rookRays[sq] | bishopRays[sq]);
    }
}

TEST_F(Tables, FileMasksSpansAndEnPassantMasks) {
    EXPECT_EQ(__builtin_popcountll(whiteFrontSpan[SQ_E4]), 12);
    EXPECT_EQ(whiteFrontSpan[SQ_E4] & Of({SQ_D5, SQ_F8, SQ_E5}), Of({SQ_D5, SQ_F8, SQ_E5}));
    EXPECT_EQ(blackFrontSpan[SQ_A7], Of({SQ_A6, SQ_A5, SQ_A4, SQ_A3, SQ_A2, SQ_A1,
                                         SQ_B6, SQ_B5, SQ_B4, SQ_B3, SQ_B2, SQ_B1}));
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(whiteFrontSpan[c], 0u);
        EXPECT_EQ(blackFrontSpan[56 + c], 0u);
    }
    EXPECT_EQ(adjacentFiles[SQ_A5], fileOthers[SQ_B5] | B(SQ_B5));
    EXPECT_EQ(adjacentFiles[SQ_H2], fileOthers[SQ_G2] | B(SQ_G2));
    EXPECT_EQ(fileAbove[SQ_C3] | fileBelow[SQ_C3], fileOthers[SQ_C3]);
    EXPECT_EQ(fileAbove[SQ_C3], Of({SQ_C4, SQ_C5, SQ_C6, SQ_C7, SQ_C8}));
    EXPECT_EQ(epMaskFiles[SQ_E6], squareBitFiles[SQ_E6] | squareBitFiles[SQ_E5]);
    EXPECT_EQ(epMaskFiles[SQ_E3], squareBitFiles[SQ_E3] | squareBitFiles[SQ_E4]);
    EXPECT_EQ(epMaskA1H8[SQ_D3], squareBitA1H8[SQ_D3] | squareBitA1H8[SQ_D4]);
    EXPECT_EQ(epMaskA8H1[SQ_A6], squareBitA8H1[SQ_A6] | squareBitA8H1[SQ_A5]);
    EXPECT_EQ(epMaskFiles[SQ_E4], 0u);
}
