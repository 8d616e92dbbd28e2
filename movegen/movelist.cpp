// Static exchange evaluation: turns a doubtful capture (or a queen promotion
// push) into an ordering score, counting the exchange on the target square and
// the piece-square terms of the moving piece and its victim.
#include "movegen/movelist.h"

#include "board/position.h"
#include "board/tables.h"
#include "eval/psqt.h"

namespace {

inline int Pst(PieceCode piece, Square sq) { return PstValue(piece, sq, pos.totalMaterial); }

// The square bit of a side's king when it stands next to sq; a side without
// a king contributes nothing.
inline Bitboard KingNextTo(Colour side, int sq) {
    const int k = pos.kingSq[side];
    return HasKing(k) ? squareBit[k] & kingAttacks[sq] : 0;
}

// Sliders of a set that stand behind from as seen from to: members of both
// empty-board lines that the occupancy-dependent attacks from from reach.
inline Bitboard DiagonalXray(int from, int to, Bitboard diagonalSliders) {
    const Bitboard candidates = diagonalSliders & bishopRays[from] & bishopRays[to];
    return candidates ? candidates & BishopAttacks(from) : 0;
}
inline Bitboard RookXray(int from, int to, Bitboard rookSliders) {
    const Bitboard candidates = rookSliders & rookRays[from] & rookRays[to];
    return candidates ? candidates & RookAttacks(from) : 0;
}

}  // namespace

int16_t StaticExchange(PieceCode piece, Square from, Square to, Bitboard rookSliders, Bitboard diagonalSliders) {
    const Colour mover = pos.sideToMove;
    const PieceCode victim = pos.board[to];
    int gain[40];
    gain[0] = pieceValue[victim];
    int positional = -Pst(piece, from);

    Bitboard attackers = (BishopAttacks(to) & diagonalSliders) | (RookAttacks(to) & rookSliders) |
                         KingNextTo(WHITE, to) | KingNextTo(BLACK, to) |
                         ((pos.pieceBB[W_KNIGHT] | pos.pieceBB[B_KNIGHT]) & knightAttacks[to]);
    const Bitboard pawnAttackers = (pos.pieceBB[B_PAWN] & whitePawnAttacks[to]) |
                                   (pos.pieceBB[W_PAWN] & blackPawnAttacks[to]);
    attackers |= pawnAttackers;
    // The least valuable attacker search of each side starts at this code.
    int nextCode[2] = {pawnAttackers ? B_PAWN : B_KNIGHT, pawnAttackers ? W_PAWN : W_KNIGHT};
    attackers &= ~squareBit[from];

    switch (KindOf(piece)) {
    case PAWN:
        if (piece == W_PAWN && to < 8) {
            gain[0] += PROMOTION_GAIN;
            piece = W_QUEEN;
        } else if (piece == B_PAWN && to > 55) {
            gain[0] += PROMOTION_GAIN;
            piece = B_QUEEN;
        }
        [[fallthrough]];
    case BISHOP:
        diagonalSliders &= ~squareBit[from];
        attackers |= DiagonalXray(from, to, diagonalSliders);
        break;
    case ROOK:
        rookSliders &= ~squareBit[from];
        attackers |= RookXray(from, to, rookSliders);
        break;
    case QUEEN: {
        rookSliders &= ~squareBit[from];
        diagonalSliders &= ~squareBit[from];
        // The diagonal is looked at only when the rook lines add no new
        // attacker; a piece found there that already attacks counts as none.
        const Bitboard added = RookXray(from, to, rookSliders) & ~attackers;
        attackers |= added ? added : DiagonalXray(from, to, diagonalSliders);
        break;
    }
    case KING:
        if (attackers & pos.colourBB[Opponent(mover)]) return ORDER_KING_INTO_ATTACK;
        break;
    default:  // knight
        break;
    }
    positional += Pst(piece, to);

    Colour side = Opponent(mover);
    int d = 1;
    if (attackers & pos.colourBB[side]) {
        rookSliders &= ~attackers;
        diagonalSliders &= ~attackers;
        int current = piece;
        while (attackers) {
            int attacker = 0;
            int at = 0;
            const int queenCode = CodeOf(QUEEN, side);
            for (int k = nextCode[side]; k <= queenCode; k += 2) {
                const Bitboard hit = pos.pieceBB[k] & attackers;
                if (hit) {
                    at = FirstSquare(hit);
                    attackers ^= squareBit[at];
                    nextCode[side] = k;
                    attacker = k;
                    break;
                }
            }
            if (!attacker) {
                const Bitboard king = KingNextTo(side, to);
                if (!king) break;
                attackers ^= king;
                if (attackers) break;  // the king may not step into a defended square
                attacker = CodeOf(KING, side);
                nextCode[side] = attacker;
            }

            gain[d] = pieceValue[current] - gain[d - 1];
            current = attacker;

            if (gain[d] - pieceValue[attacker] > EXCHANGE_MARGIN) {
                if (side != mover) return static_cast<int16_t>((pieceValue[attacker] >> 1) - gain[d] + positional + ORDER_LOSING_CAPTURE);
                if (gain[0] == 0) return static_cast<int16_t>(positional + ORDER_EVEN_EXCHANGE);
                if (victim) positional += Pst(victim, to);
                return static_cast<int16_t>(gain[d - 2] + positional + ORDER_GOOD_CAPTURE);
            }

            switch (KindOf(attacker)) {
            case PAWN:
            case BISHOP: {
                const Bitboard found = DiagonalXray(at, to, diagonalSliders);
                attackers |= found;
                diagonalSliders &= ~found;
                break;
            }
            case ROOK: {
                const Bitboard found = RookXray(at, to, rookSliders);
                attackers |= found;
                rookSliders &= ~found;
                break;
            }
            case QUEEN: {
                Bitboard found = RookXray(at, to, rookSliders);
                if (found) {
                    attackers |= found;
                    rookSliders &= ~found;
                    if (nextCode[BLACK] > B_ROOK) nextCode[BLACK] = B_ROOK;
                    if (nextCode[WHITE] > W_ROOK) nextCode[WHITE] = W_ROOK;
                } else {
                    found = DiagonalXray(at, to, diagonalSliders);
                    if (found) {
                        attackers |= found;
                        diagonalSliders &= ~found;
                        if (nextCode[BLACK] > B_BISHOP) nextCode[BLACK] = B_BISHOP;
                        if (nextCode[WHITE] > W_BISHOP) nextCode[WHITE] = W_BISHOP;
                    }
                }
                break;
            }
            default:  // knight and king
                break;
            }

            side = Opponent(side);
            ++d;
            if (!(attackers & pos.colourBB[side])) break;
        }
        for (int i = d - 1; i >= 1; --i)
            if (gain[i - 1] > -gain[i]) gain[i - 1] = -gain[i];
    }

    if (gain[0] > -EXCHANGE_MARGIN) {
        if (gain[0] == 0) return static_cast<int16_t>(positional + ORDER_EVEN_EXCHANGE);
        if (victim) positional += Pst(victim, to);
        return static_cast<int16_t>(positional + gain[0] + ORDER_GOOD_CAPTURE);
    }
    return static_cast<int16_t>(positional + gain[0] + ORDER_LOSING_CAPTURE);
}
