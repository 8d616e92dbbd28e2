// Attack and mask tables. Everything is built once by InitTables before the
// first position is set and only read afterwards, by both threads.
#include "board/tables.h"

#include <algorithm>
#include <cassert>

#include "board/magics.h"

Bitboard squareBit[64];
Bitboard kingAttacks[64], knightAttacks[64];
Bitboard whitePawnAttacks[64], blackPawnAttacks[64];
SliderMagic rookMagics[64], bishopMagics[64];

namespace {
// Every relevant occupancy of every square has a slot: 102,400 for rooks,
// 5,248 for bishops.
Bitboard rookAttackTable[102400];
Bitboard bishopAttackTable[5248];
}  // namespace
Bitboard rookRays[64], bishopRays[64], queenRays[64];
Bitboard squaresBetween[64][64], lineThrough[64][64];
Bitboard fileOthers[64], adjacentFiles[64];
Bitboard whiteFrontSpan[64], blackFrontSpan[64];
Bitboard fileAbove[64], fileBelow[64];

namespace {

// Sliding attacks by walking each direction up to and including the first
// occupied square; the magic tables are filled from this.
constexpr int ROOK_STEPS[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr int BISHOP_STEPS[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};

Bitboard Slide(int sq, Bitboard occupied, const int (&steps)[4][2]) {
    Bitboard result = 0;
    for (const auto& step : steps) {
        for (int r = RowOf(sq) + step[0], c = ColumnOf(sq) + step[1]; r >= 0 && r < 8 && c >= 0 && c < 8;
             r += step[0], c += step[1]) {
            result |= BitOf(r * 8 + c);
            if (occupied & BitOf(r * 8 + c)) break;
        }
    }
    return result;
}

// The occupancy that matters for a slider on sq: its rays without the last
// square of each, whose occupant never changes what the slider reaches.
Bitboard RelevantOccupancy(int sq, const int (&steps)[4][2]) {
    Bitboard result = 0;
    for (const auto& step : steps) {
        for (int r = RowOf(sq) + step[0], c = ColumnOf(sq) + step[1];
             r + step[0] >= 0 && r + step[0] < 8 && c + step[1] >= 0 && c + step[1] < 8; r += step[0], c += step[1])
            result |= BitOf(r * 8 + c);
    }
    return result;
}

// Jumps by (row, column) offsets that stay on the board.
Bitboard Leaps(int sq, const int (*offsets)[2], int count) {
    Bitboard result = 0;
    for (int i = 0; i < count; ++i) {
        const int r = RowOf(sq) + offsets[i][0], c = ColumnOf(sq) + offsets[i][1];
        if (r >= 0 && r < 8 && c >= 0 && c < 8) result |= BitOf(r * 8 + c);
    }
    return result;
}

constexpr int KING_STEPS[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
constexpr int KNIGHT_JUMPS[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
constexpr int WHITE_PAWN_CAPTURES[2][2] = {{-1, -1}, {-1, 1}};
constexpr int BLACK_PAWN_CAPTURES[2][2] = {{1, -1}, {1, 1}};

// Squares of rows firstRow..lastRow and columns firstColumn..lastColumn;
// columns off the board are skipped, an empty row range gives nothing.
Bitboard RowsOfColumns(int firstRow, int lastRow, int firstColumn, int lastColumn) {
    Bitboard result = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstColumn; c <= lastColumn; ++c)
            if (c >= 0 && c < 8) result |= BitOf(r * 8 + c);
    return result;
}

}  // namespace

bool FillMagicSlots(int sq, PieceKind slider, SliderMagic& m, Bitboard* slots) {
    const auto& steps = slider == ROOK ? ROOK_STEPS : BISHOP_STEPS;
    m.mask = RelevantOccupancy(sq, steps);
    m.shift = static_cast<unsigned>(64 - __builtin_popcountll(m.mask));
    m.attacks = slots;
    const unsigned size = 1u << (64 - m.shift);
    static bool filled[MAX_MAGIC_SLOTS];
    std::fill(filled, filled + size, false);
    Bitboard subset = 0;
    do {  // every subset of the mask
        const unsigned slot = static_cast<unsigned>((subset * m.magic) >> m.shift);
        const Bitboard reach = Slide(sq, subset, steps);
        if (filled[slot] && slots[slot] != reach) return false;
        filled[slot] = true;
        slots[slot] = reach;
        subset = (subset - m.mask) & m.mask;
    } while (subset);
    return true;
}

void InitTables() {
    for (int sq = 0; sq < 64; ++sq) {
        kingAttacks[sq] = Leaps(sq, KING_STEPS, 8);
        whitePawnAttacks[sq] = Leaps(sq, WHITE_PAWN_CAPTURES, 2);
        blackPawnAttacks[sq] = Leaps(sq, BLACK_PAWN_CAPTURES, 2);
        knightAttacks[sq] = Leaps(sq, KNIGHT_JUMPS, 8);
    }
    Bitboard* rookSlots = rookAttackTable;
    Bitboard* bishopSlots = bishopAttackTable;
    for (int sq = 0; sq < 64; ++sq) {
        rookMagics[sq].magic = ROOK_MAGICS[sq];
        bishopMagics[sq].magic = BISHOP_MAGICS[sq];
        const bool fits = FillMagicSlots(sq, ROOK, rookMagics[sq], rookSlots) &&
                          FillMagicSlots(sq, BISHOP, bishopMagics[sq], bishopSlots);
        assert(fits);
        (void)fits;
        rookSlots += std::size_t{1} << (64 - rookMagics[sq].shift);
        bishopSlots += std::size_t{1} << (64 - bishopMagics[sq].shift);
    }

    for (int sq = 0; sq < 64; ++sq) {
        const int row = RowOf(sq), column = ColumnOf(sq);
        squareBit[sq] = BitOf(sq);

        const Bitboard fileBits = RowsOfColumns(0, 7, column, column);
        adjacentFiles[sq] = RowsOfColumns(0, 7, column - 1, column - 1) | RowsOfColumns(0, 7, column + 1, column + 1);
        fileOthers[sq] = fileBits & ~squareBit[sq];
        whiteFrontSpan[sq] = RowsOfColumns(0, row - 1, column - 1, column + 1);
        blackFrontSpan[sq] = RowsOfColumns(row + 1, 7, column - 1, column + 1);
        fileAbove[sq] = RowsOfColumns(0, row - 1, column, column);
        fileBelow[sq] = RowsOfColumns(row + 1, 7, column, column);

        rookRays[sq] = Slide(sq, 0, ROOK_STEPS);
        bishopRays[sq] = Slide(sq, 0, BISHOP_STEPS);
        queenRays[sq] = rookRays[sq] | bishopRays[sq];
    }

    // Walk each of the eight directions from a: every square reached shares
    // the line; the squares passed on the way lie between.
    constexpr int DIRECTIONS[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
    for (int a = 0; a < 64; ++a) {
        for (const auto& d : DIRECTIONS) {
            Bitboard line = BitOf(a), passed = 0;
            for (int r = RowOf(a) - d[0], c = ColumnOf(a) - d[1]; r >= 0 && r < 8 && c >= 0 && c < 8; r -= d[0], c -= d[1])
                line |= BitOf(r * 8 + c);
            for (int r = RowOf(a) + d[0], c = ColumnOf(a) + d[1]; r >= 0 && r < 8 && c >= 0 && c < 8; r += d[0], c += d[1])
                line |= BitOf(r * 8 + c);
            for (int r = RowOf(a) + d[0], c = ColumnOf(a) + d[1]; r >= 0 && r < 8 && c >= 0 && c < 8; r += d[0], c += d[1]) {
                const int b = r * 8 + c;
                squaresBetween[a][b] = passed;
                lineThrough[a][b] = line;
                passed |= BitOf(b);
            }
        }
    }
}
