// Consistency check of the global position against its derived state.
#include "board/invariants.h"

#include <cstring>
#include <initializer_list>

#include "board/tables.h"

const char* CheckPositionInvariants() {
    // Debug builds run this after every make and unmake: the board is walked
    // once into a set per piece code, and the sets are compared whole.
    Bitboard sets[B_KING + 1] = {};
    for (int sq = 0; sq < 64; ++sq) {
        const int code = pos.board[sq];
        if (code > B_KING) return "board holds an unknown piece code";
        sets[code] |= squareBit[sq];
    }
    for (int c = W_PAWN; c <= B_QUEEN; ++c)
        if (pos.pieceBB[c] != sets[c]) return "board and piece bitboards disagree";
    int total = 0;
    for (const Colour side : {BLACK, WHITE}) {
        const int king = pos.kingSq[side];
        const Bitboard kings = sets[CodeOf(KING, side)];
        if (kings & ~(HasKing(king) && king < 64 ? squareBit[king] : 0))
            return "king on the board is not on its king square";
        if (HasKing(king) && (king > 63 || pos.board[king] != CodeOf(KING, side)))
            return "king square does not hold that side's king";
        Bitboard colour = kings;
        int pieces = 0;
        for (const PieceKind kind : {PAWN, KNIGHT, BISHOP, ROOK, QUEEN}) {
            const int code = CodeOf(kind, side);
            colour |= sets[code];
            const int units = __builtin_popcountll(sets[code]) * MATERIAL_UNITS[code];
            total += units;
            if (kind != PAWN) pieces += units;
        }
        if (pos.colourBB[side] != colour) return "colour set is not the union of its pieces";
        if (pos.pieceMaterial[side] != pieces) return "pieceMaterial disagrees with the board";
        if (pos.pawnCount[side] != __builtin_popcountll(sets[CodeOf(PAWN, side)]))
            return "pawnCount disagrees with the board";
    }
    if (pos.occupied != (pos.colourBB[BLACK] | pos.colourBB[WHITE])) return "occupied is not the union of the colour sets";
    if (pos.totalMaterial != total) return "totalMaterial disagrees with the board";
    if (historyTop < positionHistory || historyTop >= positionHistory + HISTORY_SIZE)
        return "historyTop outside the history";
    if (historyTop->key != pos.hashKey) return "top history entry does not hold hashKey";
    return nullptr;
}

bool SamePosition(const Position& a, const Position& b) {
    return a.sideToMove == b.sideToMove && std::memcmp(a.board, b.board, sizeof a.board) == 0 &&
           std::memcmp(a.pieceBB, b.pieceBB, sizeof a.pieceBB) == 0 &&
           std::memcmp(a.colourBB, b.colourBB, sizeof a.colourBB) == 0 && a.occupied == b.occupied &&
           a.hashKey == b.hashKey && a.pawnKey == b.pawnKey && a.kingSq[0] == b.kingSq[0] &&
           a.kingSq[1] == b.kingSq[1] && a.castleRights == b.castleRights && a.epSquare == b.epSquare &&
           a.totalMaterial == b.totalMaterial && a.pieceMaterial[0] == b.pieceMaterial[0] &&
           a.pieceMaterial[1] == b.pieceMaterial[1] && a.pawnCount[0] == b.pawnCount[0] &&
           a.pawnCount[1] == b.pawnCount[1];
}
