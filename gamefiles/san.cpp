// Standard algebraic notation (and coordinate notation) move reading.
#include "gamefiles/san.h"

#include <algorithm>
#include <cstring>

#include "board/makemove.h"
#include "board/position.h"
#include "board/tables.h"
#include "movegen/legality.h"

namespace {

bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }

// Square of a file letter and rank digit, or -1 when the two are not a square.
int SquareOf(const char* text) {
    if (!IsFile(text[0]) || !IsRank(text[1])) return -1;
    return (text[0] - 'a') + 8 * ('8' - text[1]);
}

Bitboard FileMask(int file) {
    Bitboard mask = 0;
    for (int row = 0; row < 8; ++row) mask |= BitOf(row * 8 + file);
    return mask;
}

Bitboard RankMask(int row) {
    Bitboard mask = 0;
    for (int col = 0; col < 8; ++col) mask |= BitOf(row * 8 + col);
    return mask;
}

bool IsPawnOn(int sq) {
    return pos.board[sq] == W_PAWN || pos.board[sq] == B_PAWN;
}

Move PawnPush(int to) {
    const int step = pos.sideToMove == WHITE ? 8 : -8;
    int from = to + step;
    if (from < 0 || from > 63) return MOVE_NONE;
    if (!IsPawnOn(from)) {
        from += step;
        if (from < 0 || from > 63) return MOVE_NONE;
    }
    return BuildMove(from, to, KIND_QUIET);
}

Move PushPromotion(int to, char letter) {
    int from;
    if (pos.sideToMove == WHITE) {
        if (RowOf(to) == 7) return MOVE_NONE;
        from = to + 8;
    } else {
        from = to - 8;
        if (from < 0) return MOVE_NONE;
    }
    return BuildMove(from, to, PromotionKindOf(letter));
}

Move CapturePromotion(const char* text) {
    const int to = SquareOf(text + 1);
    if (to < 0) return MOVE_NONE;
    const bool white = pos.sideToMove == WHITE;
    int from;
    if (text[0] >= text[1]) from = white ? to + 9 : to - 7;
    else from = white ? to + 7 : to - 9;
    if (from < 0 || from > 63) return MOVE_NONE;
    const int kind = pos.board[to] != EMPTY ? CapturePromotionKindOf(text[3]) : PromotionKindOf(text[3]);
    return BuildMove(from, to, kind);
}

Move ShortCastle() {
    if (pos.sideToMove == WHITE) return (pos.castleRights & CASTLE_WHITE_SHORT) ? MOVE_CASTLE_WHITE_SHORT : MOVE_NONE;
    return (pos.castleRights & CASTLE_BLACK_SHORT) ? MOVE_CASTLE_BLACK_SHORT : MOVE_NONE;
}

Move LongCastle() {
    if (pos.sideToMove == WHITE) return (pos.castleRights & CASTLE_WHITE_LONG) ? MOVE_CASTLE_WHITE_LONG : MOVE_NONE;
    return (pos.castleRights & CASTLE_BLACK_LONG) ? MOVE_CASTLE_BLACK_LONG : MOVE_NONE;
}

// Several pieces of the named kind reach the square: keep the one whose move
// does not leave its own king attacked; two such pieces make the text ambiguous.
Move ChooseCandidate(Bitboard candidates, int to, int kind) {
    const Colour side = pos.sideToMove;
    PlyRecord record{};
    SaveSnapshot(&record);
    Move found = MOVE_NONE;
    while (candidates) {
        const Square from = FirstSquare(candidates);
        candidates &= candidates - 1;
        const Move move = BuildMove(from, to, kind);
        if (!IsPseudoLegal(move)) continue;
        MakeMove(move, &record);
        const bool attacked = KingAttackedAfterMove(move, side);
        UnmakeMove(move, &record);
        if (attacked) continue;
        if (found != MOVE_NONE) return MOVE_NONE;
        found = move;
    }
    return found;
}

bool IsAnnotationMark(char c) { return c == '+' || c == '#' || c == '!' || c == '?'; }

// Length of text without the marks of check, mate and annotation at its end.
size_t LengthWithoutMarks(const char* text) {
    size_t n = std::strlen(text);
    while (n > 0 && IsAnnotationMark(text[n - 1])) --n;
    return n;
}

constexpr const char* EN_PASSANT_MARKS[] = {"e.p.", "ep"};

bool IsMarksOnly(const char* text) {
    for (; *text; ++text)
        if (!IsAnnotationMark(*text)) return false;
    return true;
}

// Length of the en-passant mark that ends text (before its check and
// annotation marks), 0 when there is none.
size_t EnPassantMarkAtEnd(const char* text) {
    const size_t n = LengthWithoutMarks(text);
    for (const char* mark : EN_PASSANT_MARKS) {
        const size_t length = std::strlen(mark);
        if (n > length && std::strncmp(text + n - length, mark, length) == 0) return length;
    }
    return 0;
}

Move ParseSanText(const char* text);

// The move of a text that may end in an en-passant mark: the mark goes, with
// the marks after it, and the move is read in full.
[[gnu::noinline]] Move ParseWithoutEnPassantMark(const char* text) {
    const size_t mark = EnPassantMarkAtEnd(text);
    if (!mark) return MOVE_NONE;
    char withoutMark[16];
    const size_t length = std::min(LengthWithoutMarks(text) - mark, sizeof withoutMark - 1);
    std::memcpy(withoutMark, text, length);
    withoutMark[length] = '\0';
    return ParseSanText(withoutMark);
}

// Reading without the final legality filter; the PGN reader validates the
// result itself so that it can report the two kinds of illegal move apart.
Move ParseSanText(const char* text) {
    // The first nine characters without capture marks, check and mate signs,
    // glyphs, the promotion sign and hyphens.
    char buffer[10];
    int n = 0;
    for (int i = 0; i < 9 && text[i]; ++i) {
        switch (text[i]) {
        case 'x': case '+': case '#': case '!': case '?': case '=': case '-': break;
        default: buffer[n++] = text[i];
        }
    }
    buffer[n] = '\0';
    // No move ends in "p" or ".", an en-passant mark does.
    if (n > 0 && (buffer[n - 1] == 'p' || buffer[n - 1] == '.')) return ParseWithoutEnPassantMark(text);

    switch (n) {
    case 2: {
        if ((buffer[0] == '0' || buffer[0] == 'O') && buffer[1] == buffer[0]) return ShortCastle();
        const int to = SquareOf(buffer);
        return to < 0 ? MOVE_NONE : PawnPush(to);
    }
    case 3: {
        if ((buffer[0] == '0' || buffer[0] == 'O') && buffer[1] == buffer[0] && buffer[2] == buffer[0])
            return LongCastle();
        if (PromotionKindOf(buffer[2])) {
            const int to = SquareOf(buffer);
            return to < 0 ? MOVE_NONE : PushPromotion(to, buffer[2]);
        }
        const int to = SquareOf(buffer + 1);
        return to < 0 ? MOVE_NONE : ResolveSanSource(buffer, to, ~Bitboard{0});
    }
    case 4: {
        if (PromotionKindOf(buffer[3])) return CapturePromotion(buffer);
        if (const Move move = ParseSanCoordinates(buffer)) return move;
        const int to = SquareOf(buffer + 2);
        if (to < 0) return MOVE_NONE;
        Bitboard mask = 0;
        if (IsFile(buffer[1])) mask = FileMask(buffer[1] - 'a');
        else if (IsRank(buffer[1])) mask = RankMask('8' - buffer[1]);
        return ResolveSanSource(buffer, to, mask);
    }
    case 5:
        if (const Move move = ParseSanCoordinates(buffer + 1)) return move;
        return ParseSanCoordinates(buffer);
    default:
        return MOVE_NONE;
    }
}

}  // namespace

bool IsEnPassantMark(const char* text) {
    if (text[0] != 'e' || (text[1] != 'p' && text[1] != '.')) return false;
    const size_t n = LengthWithoutMarks(text);
    for (const char* mark : EN_PASSANT_MARKS)
        if (n == std::strlen(mark) && std::strncmp(text, mark, n) == 0) return true;
    return false;
}

bool IsNullMoveText(const char* text) {
    return ((text[0] == '-' && text[1] == '-') || (text[0] == 'Z' && text[1] == '0')) && IsMarksOnly(text + 2);
}

int PromotionKindOf(char letter) {
    switch (letter) {
    case 'Q': case 'q': return KIND_PROMO_QUEEN;
    case 'N': case 'n': return KIND_PROMO_KNIGHT;
    case 'R': case 'r': return KIND_PROMO_ROOK;
    case 'B': case 'b': return KIND_PROMO_BISHOP;
    default: return 0;
    }
}

int CapturePromotionKindOf(char letter) {
    const int kind = PromotionKindOf(letter);
    return kind ? kind + 4 : 0;
}

Move ResolveSanSource(const char* text, int to, Bitboard mask) {
    const Colour side = pos.sideToMove;
    int kind = pos.board[to] != EMPTY ? KIND_CAPTURE : KIND_QUIET;
    Bitboard candidates;
    switch (text[0]) {
    case 'B': candidates = BishopAttacks(to) & pos.pieceBB[CodeOf(BISHOP, side)] & mask; break;
    case 'N': candidates = knightAttacks[to] & pos.pieceBB[CodeOf(KNIGHT, side)] & mask; break;
    case 'R': candidates = RookAttacks(to) & pos.pieceBB[CodeOf(ROOK, side)] & mask; break;
    case 'Q': candidates = QueenAttacks(to) & pos.pieceBB[CodeOf(QUEEN, side)] & mask; break;
    case 'K':
        if (!HasKing(pos.kingSq[side])) return MOVE_NONE;
        return BuildMove(pos.kingSq[side], to, kind);
    default: {
        if (!IsFile(text[0])) return MOVE_NONE;
        const int file = text[0] - 'a';
        const int row = RowOf(to) + (side == WHITE ? 1 : -1);
        if (row < 0 || row > 7 || (file != ColumnOf(to) - 1 && file != ColumnOf(to) + 1)) return MOVE_NONE;
        candidates = BitOf(row * 8 + file) & pos.pieceBB[CodeOf(PAWN, side)];
        if (kind == KIND_QUIET) kind = KIND_EN_PASSANT;
        break;
    }
    }
    if (!candidates) return MOVE_NONE;
    if (!(candidates & (candidates - 1))) return BuildMove(FirstSquare(candidates), to, kind);
    return ChooseCandidate(candidates, to, kind);
}

Move ParseSanCoordinates(const char* text) {
    const int from = SquareOf(text);
    if (from < 0) return MOVE_NONE;
    const int to = SquareOf(text + 2);
    if (to < 0) return MOVE_NONE;
    const uint16_t rights = pos.castleRights;
    if (rights) {
        if (from == SQ_E8 && (rights & (CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG))) {
            if (to == SQ_C8 && (rights & CASTLE_BLACK_LONG)) return MOVE_CASTLE_BLACK_LONG;
            if (to == SQ_G8 && (rights & CASTLE_BLACK_SHORT)) return MOVE_CASTLE_BLACK_SHORT;
        }
        if (from == SQ_E1 && (rights & (CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG))) {
            if (to == SQ_C1 && (rights & CASTLE_WHITE_LONG)) return MOVE_CASTLE_WHITE_LONG;
            if (to == SQ_G1 && (rights & CASTLE_WHITE_SHORT)) return MOVE_CASTLE_WHITE_SHORT;
        }
    }
    const bool onto = pos.board[to] != EMPTY;
    if (pos.board[from] == EMPTY || IsPawnOn(from)) {
        if (PromotionKindOf(text[4]))
            return BuildMove(from, to, onto ? CapturePromotionKindOf(text[4]) : PromotionKindOf(text[4]));
        if (pos.epSquare != 0 && pos.epSquare == to) return BuildMove(from, to, KIND_EN_PASSANT);
    }
    // A pawn's move onto an occupied square is a capture like any other.
    return BuildMove(from, to, onto ? KIND_CAPTURE : KIND_QUIET);
}

Move ReadSanMove(const char* text) { return ParseSanText(text); }

Move ParseSan(const char* text) {
    const Move move = ParseSanText(text);
    return move != MOVE_NONE && IsLegalMove(move) ? move : MOVE_NONE;
}

namespace {

bool IsCaptureKind(int kind) { return kind == KIND_CAPTURE || kind == KIND_EN_PASSANT || (kind >= 8 && kind <= 11); }
char SquareFile(int sq) { return static_cast<char>('a' + ColumnOf(sq)); }
char SquareRank(int sq) { return static_cast<char>('8' - RowOf(sq)); }

}  // namespace

std::string MoveToSan(Move move, const Move* legal, int count) {
    const int from = FromOf(move), to = ToOf(move), kind = KindOfMove(move);
    if (IsCastling(move)) return ColumnOf(to) == 6 ? "O-O" : "O-O-O";
    const int piece = pos.board[from];
    std::string text;
    if (KindOf(piece) == PAWN) {
        if (IsCaptureKind(kind)) {
            text += SquareFile(from);
            text += 'x';
        }
        text += SquareFile(to);
        text += SquareRank(to);
        if (IsPromotion(move)) {
            static constexpr char promoted[4] = {'Q', 'N', 'R', 'B'};
            text += '=';
            text += promoted[(kind - 4) & 3];
        }
        return text;
    }
    text += "  NBRQK"[KindOf(piece)];
    bool rival = false, sameFile = false, sameRank = false;
    for (int i = 0; i < count; ++i) {
        const int other = FromOf(legal[i]);
        if (legal[i] == move || ToOf(legal[i]) != to || pos.board[other] != piece) continue;
        rival = true;
        sameFile |= ColumnOf(other) == ColumnOf(from);
        sameRank |= RowOf(other) == RowOf(from);
    }
    if (rival) {
        if (!sameFile) {
            text += SquareFile(from);
        } else if (!sameRank) {
            text += SquareRank(from);
        } else {
            text += SquareFile(from);
            text += SquareRank(from);
        }
    }
    if (IsCaptureKind(kind)) text += 'x';
    text += SquareFile(to);
    text += SquareRank(to);
    return text;
}
