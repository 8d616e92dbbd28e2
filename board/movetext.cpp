// Coordinate move text for the front end, the log and the game files, and a
// plain board diagram for diagnostics.
#include "board/movetext.h"

#include <cstdio>

#include "board/position.h"

namespace {

char* WriteSquare(char* out, int sq) {
    out[0] = static_cast<char>('a' + ColumnOf(sq));
    out[1] = static_cast<char>('8' - RowOf(sq));
    return out + 2;
}

bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }
int SquareOf(char file, char rank) { return (file - 'a') + 8 * ('8' - rank); }

}  // namespace

char* MoveToText(char* buffer, Move move) {
    static const char* const CASTLE_TEXT[4] = {"e8g8", "e1g1", "e8c8", "e1c1"};
    static const char PROMOTION_LETTER[4] = {'q', 'n', 'r', 'b'};
    const int kind = KindOfMove(move);
    char* out = buffer;
    if (kind >= KIND_CASTLE_BLACK_SHORT) {
        for (const char* t = CASTLE_TEXT[kind - 12]; *t; ++t) *out++ = *t;
    } else {
        out = WriteSquare(out, FromOf(move));
        out = WriteSquare(out, ToOf(move));
        if (IsPromotion(move)) *out++ = PROMOTION_LETTER[kind & 3];
    }
    *out = 0;
    return out;
}

// Classified against the game snapshot, not the search board, so that moves
// read while the engine thinks or ponders get the kind the game position gives.
Move TextToMove(const char* text) {
    if (!IsFile(text[0]) || !IsRank(text[1]) || !IsFile(text[2]) || !IsRank(text[3])) return MOVE_NONE;
    const int from = SquareOf(text[0], text[1]);
    const int to = SquareOf(text[2], text[3]);

    if (gameCastleRights) {
        if (from == SQ_E8 && (gameCastleRights & (CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG))) {
            if (to == SQ_C8 && (gameCastleRights & CASTLE_BLACK_LONG)) return MOVE_CASTLE_BLACK_LONG;
            if (to == SQ_G8 && (gameCastleRights & CASTLE_BLACK_SHORT)) return MOVE_CASTLE_BLACK_SHORT;
        } else if (from == SQ_E1 && (gameCastleRights & (CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG))) {
            if (to == SQ_C1 && (gameCastleRights & CASTLE_WHITE_LONG)) return MOVE_CASTLE_WHITE_LONG;
            if (to == SQ_G1 && (gameCastleRights & CASTLE_WHITE_SHORT)) return MOVE_CASTLE_WHITE_SHORT;
        }
    }

    const bool targetOccupied = gameBoard[to] != EMPTY;
    if (gameBoard[from] < W_KNIGHT) {  // a pawn or nothing
        int promotion = -1;
        switch (text[4]) {  // front ends differ in the case of the letter
        case 'q': case 'Q': promotion = KIND_PROMO_QUEEN; break;
        case 'n': case 'N': promotion = KIND_PROMO_KNIGHT; break;
        case 'r': case 'R': promotion = KIND_PROMO_ROOK; break;
        case 'b': case 'B': promotion = KIND_PROMO_BISHOP; break;
        default: break;
        }
        if (promotion >= 0) return BuildMove(from, to, promotion + (targetOccupied ? 4 : 0));
        if (gameEpSquare != 0 && to == gameEpSquare) return BuildMove(from, to, KIND_EN_PASSANT);
    }
    return BuildMove(from, to, targetOccupied ? KIND_CAPTURE : KIND_QUIET);
}

void PrintBoard(const PieceCode* squares) {
    for (int sq = 0; sq < 64; ++sq) {
        if (ColumnOf(sq) == 0) printf("\n%d ", 8 - RowOf(sq));
        printf("%c ", PIECE_LETTERS[squares[sq]]);
    }
    printf("\n\n  A B C D E F G H\n");
}
