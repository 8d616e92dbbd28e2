// Basic vocabulary shared by every subsystem: squares, bitboards, pieces,
// move words and the small records that travel between the board, the
// generators and the search.
#pragma once

#include <cstdint>

// Squares run a8 = 0 ... h8 = 7, a7 = 8 ... h1 = 63; row 0 is rank 8.
enum Square : uint8_t {
    SQ_A8, SQ_B8, SQ_C8, SQ_D8, SQ_E8, SQ_F8, SQ_G8, SQ_H8,
    SQ_A7, SQ_B7, SQ_C7, SQ_D7, SQ_E7, SQ_F7, SQ_G7, SQ_H7,
    SQ_A6, SQ_B6, SQ_C6, SQ_D6, SQ_E6, SQ_F6, SQ_G6, SQ_H6,
    SQ_A5, SQ_B5, SQ_C5, SQ_D5, SQ_E5, SQ_F5, SQ_G5, SQ_H5,
    SQ_A4, SQ_B4, SQ_C4, SQ_D4, SQ_E4, SQ_F4, SQ_G4, SQ_H4,
    SQ_A3, SQ_B3, SQ_C3, SQ_D3, SQ_E3, SQ_F3, SQ_G3, SQ_H3,
    SQ_A2, SQ_B2, SQ_C2, SQ_D2, SQ_E2, SQ_F2, SQ_G2, SQ_H2,
    SQ_A1, SQ_B1, SQ_C1, SQ_D1, SQ_E1, SQ_F1, SQ_G1, SQ_H1,
    SQ_NONE = 100  // king square of a side that has no king
};

constexpr int RowOf(int sq) { return sq >> 3; }     // 0 = rank 8
constexpr int ColumnOf(int sq) { return sq & 7; }   // 0 = file a
constexpr Square ToSquare(int sq) { return static_cast<Square>(sq); }

// Square s is bit 63 - s: a8 is the most significant bit, h1 bit 0.
using Bitboard = uint64_t;
constexpr Bitboard BitOf(int sq) { return Bitboard{1} << (63 - sq); }

// A side without a king (possible in set-ups) has SQ_NONE as its king square.
constexpr bool HasKing(int kingSq) { return kingSq != SQ_NONE; }

// Sides: arrays indexed by side hold black at index 0.
enum Colour : int32_t { BLACK = 0, WHITE = 1 };
constexpr Colour Opponent(Colour side) { return static_cast<Colour>(side ^ 1); }

// Index of the piece's letter in PIECE_LETTERS; white codes are odd.
enum PieceCode : uint8_t {
    EMPTY = 0,
    W_PAWN = 1, B_PAWN = 2,
    W_KNIGHT = 3, B_KNIGHT = 4,
    W_BISHOP = 5, B_BISHOP = 6,
    W_ROOK = 7, B_ROOK = 8,
    W_QUEEN = 9, B_QUEEN = 10,
    W_KING = 11, B_KING = 12
};
inline constexpr char PIECE_LETTERS[] = ".PpNnBbRrQqKk";

// Piece kinds 1 pawn .. 6 king; the code of kind t for side s is 2t - s.
enum PieceKind : uint8_t { PAWN = 1, KNIGHT, BISHOP, ROOK, QUEEN, KING };
constexpr PieceCode CodeOf(PieceKind kind, Colour side) { return static_cast<PieceCode>(2 * kind - side); }
constexpr PieceKind KindOf(int code) { return static_cast<PieceKind>((code + 1) >> 1); }
constexpr Colour SideOf(int code) { return static_cast<Colour>(code & 1); }  // for non-empty codes

// Move word: to in bits 0-5, from in bits 6-11, kind in bits 12-15.
enum Move : uint16_t {
    MOVE_NONE = 0,
    MOVE_MATE = 0x3000,
    MOVE_STALEMATE = 0x3041,
    MOVE_REPETITION = 0x3082,
    MOVE_NULL = 0x3104,
    MOVE_FIFTY = 0x3186,
    MOVE_NO_MATERIAL = 0x31C7,
    MOVE_CASTLE_BLACK_SHORT = 0xC106,
    MOVE_CASTLE_WHITE_SHORT = 0xDF3E,
    MOVE_CASTLE_BLACK_LONG = 0xE102,
    MOVE_CASTLE_WHITE_LONG = 0xFF3A
};

enum MoveKind : uint8_t {
    KIND_QUIET = 0,
    KIND_CAPTURE = 1,
    KIND_EN_PASSANT = 2,
    KIND_SPECIAL = 3,
    KIND_PROMO_QUEEN = 4, KIND_PROMO_KNIGHT = 5, KIND_PROMO_ROOK = 6, KIND_PROMO_BISHOP = 7,
    KIND_CAPTURE_PROMO_QUEEN = 8, KIND_CAPTURE_PROMO_KNIGHT = 9,
    KIND_CAPTURE_PROMO_ROOK = 10, KIND_CAPTURE_PROMO_BISHOP = 11,
    KIND_CASTLE_BLACK_SHORT = 12, KIND_CASTLE_WHITE_SHORT = 13,
    KIND_CASTLE_BLACK_LONG = 14, KIND_CASTLE_WHITE_LONG = 15
};

constexpr Move BuildMove(int from, int to, int kind) {
    return static_cast<Move>((from << 6) | to | (kind << 12));
}
// The castling words are the king's move with the castling kind.
static_assert(MOVE_CASTLE_WHITE_SHORT == BuildMove(SQ_E1, SQ_G1, KIND_CASTLE_WHITE_SHORT));
static_assert(MOVE_CASTLE_WHITE_LONG == BuildMove(SQ_E1, SQ_C1, KIND_CASTLE_WHITE_LONG));
static_assert(MOVE_CASTLE_BLACK_SHORT == BuildMove(SQ_E8, SQ_G8, KIND_CASTLE_BLACK_SHORT));
static_assert(MOVE_CASTLE_BLACK_LONG == BuildMove(SQ_E8, SQ_C8, KIND_CASTLE_BLACK_LONG));
constexpr Square FromOf(Move m) { return static_cast<Square>((m >> 6) & 63); }
constexpr Square ToOf(Move m) { return static_cast<Square>(m & 63); }
constexpr int KindOfMove(Move m) { return m >> 12; }
constexpr bool IsSpecialMove(Move m) { return KindOfMove(m) == KIND_SPECIAL; }
constexpr bool IsPromotion(Move m) { return KindOfMove(m) >= 4 && KindOfMove(m) <= 11; }
constexpr bool IsCastling(Move m) { return m >= 0xC000; }

// Castling-right bits: 4 and 32 are never used.
enum CastleRight : uint16_t {
    CASTLE_WHITE_SHORT = 1, CASTLE_WHITE_LONG = 2,
    CASTLE_BLACK_SHORT = 8, CASTLE_BLACK_LONG = 16
};

// Entry of every move list.
struct ScoredMove {
    int16_t score;
    Move move;
};

// Piece values by code, for move ordering, the exchange evaluation and the
// material part of the static evaluation.
inline constexpr int16_t pieceValue[13] = {0, 100, 100, 310, 310, 315, 315, 500, 500, 950, 950, 2000, 2000};
constexpr int ValueOfKind(int kind) { return pieceValue[2 * kind - 1]; }

// Score scale, side-to-move point of view.
constexpr int INFINITE_SCORE = 8190;  // bounds every window and marks an illegal move
constexpr int MATE_SCORE = 8100;      // a side mated at ply p scores p - MATE_SCORE
constexpr int MatedAtPly(int ply) { return ply - MATE_SCORE; }
constexpr int MATE_IN_ONE = MATE_SCORE - 1;  // the best score a search can reach
// Above this a score can only come from a mate found within 50 plies.
constexpr int WINNING_MATE_SCORE = MATE_SCORE - 50;
