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

TEST_F(Tables, SquareBitsLinesAndBetween) {
    for (int sq = 0; sq < 64; ++sq) {
        EXPECT_EQ(squareBit[sq], B(sq));
        EXPECT_EQ(FirstSquare(squareBit[sq]), sq);
    }
    EXPECT_EQ(FirstSquare(Of({SQ_A8, SQ_E4, SQ_H1})), SQ_H1);
    EXPECT_EQ(FirstSquare(Of({SQ_A8, SQ_E4})), SQ_E4);
    EXPECT_EQ(squaresBetween[SQ_A1][SQ_D4], Of({SQ_B2, SQ_C3}));
    EXPECT_EQ(squaresBetween[SQ_D4][SQ_A1], Of({SQ_B2, SQ_C3}));
    EXPECT_EQ(squaresBetween[SQ_E1][SQ_E2], 0u);
    EXPECT_EQ(squaresBetween[SQ_E1][SQ_F3], 0u);  // not on one line
    EXPECT_EQ(lineThrough[SQ_E1][SQ_F3], 0u);
    EXPECT_EQ(lineThrough[SQ_C3][SQ_E5], Of({SQ_A1, SQ_B2, SQ_C3, SQ_D4, SQ_E5, SQ_F6, SQ_G7, SQ_H8}));
    EXPECT_EQ(lineThrough[SQ_B7][SQ_B2], Of({SQ_B8, SQ_B7, SQ_B6, SQ_B5, SQ_B4, SQ_B3, SQ_B2, SQ_B1}));
    for (int a = 0; a < 64; ++a)
        for (int b = 0; b < 64; ++b) {
            EXPECT_EQ(squaresBetween[a][b], squaresBetween[b][a]);
            if (lineThrough[a][b]) {
                EXPECT_EQ(squaresBetween[a][b] & ~lineThrough[a][b], 0u);
                EXPECT_NE(queenRays[a] & B(b), 0u);
            }
        }
}

TEST_F(Tables, LeaperPawnAndLineEntries) {
    pos.occupied = Of({SQ_E1, SQ_C3});
    EXPECT_EQ(RookAttacks(SQ_A1), Of({SQ_B1, SQ_C1, SQ_D1, SQ_E1, SQ_A2, SQ_A3, SQ_A4, SQ_A5, SQ_A6, SQ_A7, SQ_A8}));
    pos.occupied = 0;
    EXPECT_EQ(BishopAttacks(SQ_C3), Of({SQ_A1, SQ_B2, SQ_D4, SQ_E5, SQ_F6, SQ_G7, SQ_H8, SQ_A5, SQ_B4, SQ_D2, SQ_E1}));
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

TEST_F(Tables, FileMasksAndSpans) {
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
}
