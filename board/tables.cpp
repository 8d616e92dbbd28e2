// Attack and mask tables. Everything is built once by InitTables before the
// first position is set and only read afterwards, by both threads.
#include "board/tables.h"

Bitboard squareBit[64];
Bitboard squareBitFiles[64], squareBitA1H8[64], squareBitA8H1[64];
Bitboard kingAttacks[64], knightAttacks[64];
Bitboard whitePawnAttacks[64], blackPawnAttacks[64];
Bitboard rankAttacks[64][256], fileAttacks[64][256];
Bitboard diagA1H8Attacks[64][256], diagA8H1Attacks[64][256];
uint8_t shiftA1H8[64], maskA1H8[64], shiftA8H1[64], maskA8H1[64];
Bitboard rookRays[64], bishopRays[64], queenRays[64];
Bitboard fileOthers[64], adjacentFiles[64];
Bitboard whiteFrontSpan[64], blackFrontSpan[64];
Bitboard fileAbove[64], fileBelow[64];
Bitboard epMaskFiles[64], epMaskA1H8[64], epMaskA8H1[64];

namespace {

enum LineKind { LINE_RANK, LINE_FILE, LINE_A1H8, LINE_A8H1 };

// One rank, file or diagonal through a square, its squares in the order in
// which the rotated layouts enumerate them. Element j has bit length-1-j of
// the line byte, so the first square is the byte's highest bit.
struct Line {
    int squares[8];
    int length;
    int index;  // position of the square the line was taken through
};

constexpr Line LineThrough(LineKind kind, int sq) {
    Line line{};
    const int row = RowOf(sq), column = ColumnOf(sq);
    switch (kind) {
        case LINE_RANK:
            for (int c = 0; c < 8; ++c) line.squares[line.length++] = row * 8 + c;
            line.index = column;
            break;
        case LINE_FILE:
            for (int r = 0; r < 8; ++r) line.squares[line.length++] = r * 8 + column;
            line.index = row;
            break;
        case LINE_A1H8: {  // row + column constant, by increasing column
            const int d = row + column;
            const int first = d > 7 ? d - 7 : 0, last = d < 7 ? d : 7;
            for (int c = first; c <= last; ++c) line.squares[line.length++] = (d - c) * 8 + c;
            line.index = column - first;
            break;
        }
        case LINE_A8H1: {  // column - row constant, by increasing row
            const int e = column - row;
            const int first = e < 0 ? -e : 0, last = e > 0 ? 7 - e : 7;
            for (int r = first; r <= last; ++r) line.squares[line.length++] = r * 8 + r + e;
            line.index = row - first;
            break;
        }
    }
    return line;
}

struct RotationMap {
    int bit[64];  // bit position of each square in the rotated layout
};

// Files: square (row, column) goes to bit 8 * column + 7 - row.
constexpr RotationMap MakeFileMap() {
    RotationMap map{};
    for (int sq = 0; sq < 64; ++sq) map.bit[sq] = 8 * ColumnOf(sq) + 7 - RowOf(sq);
    return map;
}

// Diagonals: the lines are enumerated one after another (a1-h8 parallels by
// d = row + column rising; a8-h1 parallels by column - row falling) and the
// k-th square of the enumeration is bit 63 - k.
constexpr RotationMap MakeDiagonalMap(LineKind kind) {
    RotationMap map{};
    int k = 0;
    for (int n = 0; n < 15; ++n) {
        const int sq = kind == LINE_A1H8 ? (n < 8 ? n * 8 : 56 + n - 7)   // first square of line d = n
                                         : (n < 8 ? 7 - n : (n - 7) * 8);  // first square of line e = 7 - n
        const Line line = LineThrough(kind, sq);
        for (int j = 0; j < line.length; ++j) map.bit[line.squares[j]] = 63 - k++;
    }
    return map;
}

constexpr RotationMap FILE_MAP = MakeFileMap();
constexpr RotationMap A1H8_MAP = MakeDiagonalMap(LINE_A1H8);
constexpr RotationMap A8H1_MAP = MakeDiagonalMap(LINE_A8H1);

Bitboard Rotate(Bitboard bb, const RotationMap& map) {
    Bitboard result = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (bb & BitOf(sq)) result |= Bitboard{1} << map.bit[sq];
    return result;
}

// The squares reached from the line's own square for one line byte: each
// direction up to and including the first occupied square.
Bitboard SlideAlong(const Line& line, int lineByte) {
    const int occupancy = lineByte | (1 << (line.length - 1 - line.index));
    Bitboard result = 0;
    for (int j = line.index - 1; j >= 0; --j) {
        result |= BitOf(line.squares[j]);
        if (occupancy & (1 << (line.length - 1 - j))) break;
    }
    for (int j = line.index + 1; j < line.length; ++j) {
        result |= BitOf(line.squares[j]);
        if (occupancy & (1 << (line.length - 1 - j))) break;
    }
    return result;
}

void BuildSlidingTable(Bitboard (&table)[64][256], LineKind kind) {
    for (int sq = 0; sq < 64; ++sq) {
        const Line line = LineThrough(kind, sq);
        for (int v = 0; v < 256; ++v)
            table[sq][v] = v < (1 << line.length) ? SlideAlong(line, v) : 0;
    }
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

Bitboard RotateFiles(Bitboard bb) { return Rotate(bb, FILE_MAP); }
Bitboard RotateDiagA1H8(Bitboard bb) { return Rotate(bb, A1H8_MAP); }
Bitboard RotateDiagA8H1(Bitboard bb) { return Rotate(bb, A8H1_MAP); }

void InitTables() {
    for (int sq = 0; sq < 64; ++sq) {
        kingAttacks[sq] = Leaps(sq, KING_STEPS, 8);
        whitePawnAttacks[sq] = Leaps(sq, WHITE_PAWN_CAPTURES, 2);
        blackPawnAttacks[sq] = Leaps(sq, BLACK_PAWN_CAPTURES, 2);
        knightAttacks[sq] = Leaps(sq, KNIGHT_JUMPS, 8);
    }
    BuildSlidingTable(rankAttacks, LINE_RANK);
    BuildSlidingTable(fileAttacks, LINE_FILE);
    BuildSlidingTable(diagA1H8Attacks, LINE_A1H8);
    BuildSlidingTable(diagA8H1Attacks, LINE_A8H1);

    for (int sq = 0; sq < 64; ++sq) {
        const int row = RowOf(sq), column = ColumnOf(sq);
        squareBit[sq] = BitOf(sq);
        squareBitFiles[sq] = RotateFiles(squareBit[sq]);
        squareBitA1H8[sq] = RotateDiagA1H8(squareBit[sq]);
        squareBitA8H1[sq] = RotateDiagA8H1(squareBit[sq]);

        const Line a1h8 = LineThrough(LINE_A1H8, sq);
        shiftA1H8[sq] = static_cast<uint8_t>(A1H8_MAP.bit[sq] - (a1h8.length - 1 - a1h8.index));
        maskA1H8[sq] = static_cast<uint8_t>((1 << a1h8.length) - 1);
        const Line a8h1 = LineThrough(LINE_A8H1, sq);
        shiftA8H1[sq] = static_cast<uint8_t>(A8H1_MAP.bit[sq] - (a8h1.length - 1 - a8h1.index));
        maskA8H1[sq] = static_cast<uint8_t>((1 << a8h1.length) - 1);

        const Bitboard fileBits = RowsOfColumns(0, 7, column, column);
        adjacentFiles[sq] = RowsOfColumns(0, 7, column - 1, column - 1) | RowsOfColumns(0, 7, column + 1, column + 1);
        fileOthers[sq] = fileBits & ~squareBit[sq];
        whiteFrontSpan[sq] = RowsOfColumns(0, row - 1, column - 1, column + 1);
        blackFrontSpan[sq] = RowsOfColumns(row + 1, 7, column - 1, column + 1);
        fileAbove[sq] = RowsOfColumns(0, row - 1, column, column);
        fileBelow[sq] = RowsOfColumns(row + 1, 7, column, column);

        const int ownRank = 1 << (7 - column), ownFile = 1 << (7 - row);
        rookRays[sq] = rankAttacks[sq][ownRank] | fileAttacks[sq][ownFile];
        bishopRays[sq] = diagA1H8Attacks[sq][1 << (a1h8.length - 1 - a1h8.index)] |
                         diagA8H1Attacks[sq][1 << (a8h1.length - 1 - a8h1.index)];
        queenRays[sq] = rookRays[sq] | bishopRays[sq];
    }

    // An en-passant capture clears the from-square and the captured pawn's
    // square and fills the to-square; the masks cover the last two.
    for (int sq = 0; sq < 64; ++sq) {
        epMaskFiles[sq] = epMaskA1H8[sq] = epMaskA8H1[sq] = 0;
        int victim = -1;
        if (sq >= SQ_A6 && sq <= SQ_H6) victim = sq + 8;
        if (sq >= SQ_A3 && sq <= SQ_H3) victim = sq - 8;
        if (victim < 0) continue;
        epMaskFiles[sq] = squareBitFiles[sq] | squareBitFiles[victim];
        epMaskA1H8[sq] = squareBitA1H8[sq] | squareBitA1H8[victim];
        epMaskA8H1[sq] = squareBitA8H1[sq] | squareBitA8H1[victim];
    }

}
