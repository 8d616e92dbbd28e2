// FEN and EPD reading and FEN writing. Reading is done in two steps: the text
// is parsed and checked into a staged position, and only an accepted position
// is committed, so a rejected text leaves the engine's position as it was.
#include "board/fen.h"

#include <initializer_list>
#include <cstring>

#include "board/keys.h"
#include "board/tables.h"

namespace {

// Pieces a side can have in any game: the sixteen it starts with (the side's
// 8-bit material counter is sized for that).
constexpr int MAX_MEN_PER_SIDE = 16;

const char* SkipBlanks(const char* p) {
    while (*p == ' ') ++p;
    return p;
}

void PutPiece(Position& p, int code, int sq) {
    p.board[sq] = static_cast<PieceCode>(code);
    const Colour side = SideOf(code);
    if (KindOf(code) == KING)
        p.kingSq[side] = static_cast<uint8_t>(sq);
    else
        p.pieceBB[code] |= BitOf(sq);
    p.hashKey ^= keyTable[code][sq];
    const uint8_t units = MATERIAL_UNITS[code];
    p.totalMaterial = static_cast<uint16_t>(p.totalMaterial + units);
    if (KindOf(code) == PAWN) {
        p.pawnKey ^= static_cast<uint32_t>(keyTable[code][sq]);
        ++p.pawnCount[side];
    } else {
        p.pieceMaterial[side] = static_cast<uint8_t>(p.pieceMaterial[side] + units);
    }
}

// Colour sets, occupancy and the rotated occupancies from the piece sets.
void BuildOccupancy(Position& p) {
    for (const Colour side : {BLACK, WHITE}) {
        Bitboard set = HasKing(p.kingSq[side]) ? BitOf(p.kingSq[side]) : 0;
        for (const PieceKind kind : {PAWN, KNIGHT, BISHOP, ROOK, QUEEN}) set |= p.pieceBB[CodeOf(kind, side)];
        p.colourBB[side] = set;
    }
    p.occupied = p.colourBB[BLACK] | p.colourBB[WHITE];
}

bool AttackedBy(const Position& p, int sq, Colour side) {
    const int queen = CodeOf(QUEEN, side);
    if (p.pieceBB[CodeOf(PAWN, side)] & (side == WHITE ? blackPawnAttacks[sq] : whitePawnAttacks[sq])) return true;
    if (p.pieceBB[CodeOf(KNIGHT, side)] & knightAttacks[sq]) return true;
    if (HasKing(p.kingSq[side]) && (kingAttacks[sq] & BitOf(p.kingSq[side]))) return true;
    if ((p.pieceBB[CodeOf(ROOK, side)] | p.pieceBB[queen]) & RookAttacksIn(p, sq)) return true;
    return ((p.pieceBB[CodeOf(BISHOP, side)] | p.pieceBB[queen]) & BishopAttacksIn(p, sq)) != 0;
}

// Castling rights are kept only where king and rook still stand at home:
// a right without them would let make-move conjure or teleport a piece.
uint16_t PlausibleCastleRights(const Position& p, uint16_t rights) {
    struct Home { uint16_t right; int kingCode, kingSq, rookCode, rookSq; };
    constexpr Home HOMES[4] = {
        {CASTLE_WHITE_SHORT, W_KING, SQ_E1, W_ROOK, SQ_H1},
        {CASTLE_WHITE_LONG, W_KING, SQ_E1, W_ROOK, SQ_A1},
        {CASTLE_BLACK_SHORT, B_KING, SQ_E8, B_ROOK, SQ_H8},
        {CASTLE_BLACK_LONG, B_KING, SQ_E8, B_ROOK, SQ_A8},
    };
    for (const Home& home : HOMES)
        if (p.board[home.kingSq] != home.kingCode || p.board[home.rookSq] != home.rookCode)
            rights = static_cast<uint16_t>(rights & ~home.right);
    return rights;
}

// The en-passant square named by file and rank, or 0 unless it is the square
// a pawn of the side not to move has just passed over with a double step.
uint8_t PlausibleEpSquare(const Position& p, char file, char rank) {
    if (file < 'a' || file > 'h') return 0;
    const int column = file - 'a';
    int sq, pawnSq, pawnCode;
    if (rank == '6' && p.sideToMove == WHITE) {
        sq = SQ_A6 + column;
        pawnSq = sq + 8;
        pawnCode = B_PAWN;
    } else if (rank == '3' && p.sideToMove == BLACK) {
        sq = SQ_A3 + column;
        pawnSq = sq - 8;
        pawnCode = W_PAWN;
    } else {
        return 0;
    }
    // The passed-over square must be empty too: a capture onto it would
    // overwrite a piece.
    if (p.board[pawnSq] != pawnCode || p.board[sq] != EMPTY) return 0;
    return static_cast<uint8_t>(sq);
}

// EPD "am"/"bm" operation: only the first 'a' or 'b' of the remainder is
// looked at, and the operand counts only when ';' or a blank ends it within
// nine characters.
void ReadEpdOpcode(const char* p, FenResult& result) {
    while (*p && *p != 'a' && *p != 'b') ++p;
    if (!*p || p[1] != 'm' || p[2] != ' ' || !p[3]) return;
    const bool avoid = *p == 'a';
    const char* operand = p + 3;
    int length = 0;
    while (length < 9 && operand[length] && operand[length] != ';' && operand[length] != ' ') {
        result.epdText[length] = operand[length];
        ++length;
    }
    result.epdText[length] = 0;
    if (operand[length] != ';' && operand[length] != ' ') {
        result.epdText[0] = 0;
        return;
    }
    (avoid ? result.epdAvoid : result.epdBest) = true;
}

}  // namespace

bool ParseFen(const char* text, FenResult& result) {
    Position& p = result.position;
    p = EmptyPosition();
    result.epdAvoid = result.epdBest = false;
    result.epdText[0] = 0;

    const char* c = SkipBlanks(text);
    int men[2] = {0, 0}, kings[2] = {0, 0};
    for (int sq = 0; sq < 64; ++c) {
        const char* letter = *c ? std::strchr(PIECE_LETTERS + 1, *c) : nullptr;
        if (letter) {
            const int code = static_cast<int>(letter - PIECE_LETTERS);
            const Colour side = SideOf(code);
            if (KindOf(code) == KING && ++kings[side] > 1) return false;
            if (++men[side] > MAX_MEN_PER_SIDE) return false;
            PutPiece(p, code, sq++);
        } else if (*c >= '1' && *c <= '8') {
            sq += *c - '0';
        } else if (*c != '/') {
            return false;
        }
    }

    c = SkipBlanks(c);
    if (*c == 'w' || *c == 'W')
        p.sideToMove = WHITE;
    else if (*c == 'b' || *c == 'B')
        p.sideToMove = BLACK;
    else
        return false;
    ++c;

    c = SkipBlanks(c);
    uint16_t rights = 0;
    for (int i = 0; i < 4 && *c; ++i) {
        const char letter = *c++;
        if (letter == 'K') rights |= CASTLE_WHITE_SHORT;
        else if (letter == 'Q') rights |= CASTLE_WHITE_LONG;
        else if (letter == 'k') rights |= CASTLE_BLACK_SHORT;
        else if (letter == 'q') rights |= CASTLE_BLACK_LONG;
        else break;
    }
    p.castleRights = PlausibleCastleRights(p, rights);

    c = SkipBlanks(c);
    if (*c && *c != '-') {
        if (c[1]) {
            p.epSquare = PlausibleEpSquare(p, c[0], c[1]);
            c += 2;
        } else {
            ++c;
        }
    }

    ReadEpdOpcode(c, result);

    BuildOccupancy(p);
    // The side to move must not be able to capture the other king.
    const int other = p.sideToMove ^ 1;
    if (HasKing(p.kingSq[other]) && AttackedBy(p, p.kingSq[other], p.sideToMove)) return false;
    return true;
}

void CommitFen(const FenResult& result) {
    pos = result.position;
    pos.epdBestMove = pos.epdAvoidMove = MOVE_NONE;
    while (historyTop > positionHistory) *historyTop-- = HistoryEntry{};
    *historyTop = HistoryEntry{pos.hashKey, MOVE_NONE, 0};
    SaveGameSnapshot();
}

void GetFen(char* buffer) {
    char* out = buffer;
    int empty = 0;
    for (int sq = 0; sq < 64; ++sq) {
        if (sq > 0 && ColumnOf(sq) == 0) {
            if (empty) *out++ = static_cast<char>('0' + empty);
            empty = 0;
            *out++ = '/';
        }
        if (pos.board[sq] == EMPTY) {
            ++empty;
            continue;
        }
        if (empty) *out++ = static_cast<char>('0' + empty);
        empty = 0;
        *out++ = PIECE_LETTERS[pos.board[sq]];
    }
    if (empty) *out++ = static_cast<char>('0' + empty);
    *out++ = ' ';
    *out++ = pos.sideToMove == WHITE ? 'w' : 'b';
    *out++ = ' ';
    if (pos.castleRights == 0) *out++ = '-';
    if (pos.castleRights & CASTLE_WHITE_SHORT) *out++ = 'K';
    if (pos.castleRights & CASTLE_WHITE_LONG) *out++ = 'Q';
    if (pos.castleRights & CASTLE_BLACK_SHORT) *out++ = 'k';
    if (pos.castleRights & CASTLE_BLACK_LONG) *out++ = 'q';
    *out++ = ' ';
    if (pos.epSquare == 0) {
        *out++ = '-';
    } else {
        *out++ = static_cast<char>('a' + ColumnOf(pos.epSquare));
        *out++ = static_cast<char>('8' - RowOf(pos.epSquare));
    }
    *out = 0;
}
