// Make and unmake on the hot path of the search: every field of the position
// is updated incrementally, and unmake restores what the node's snapshot holds
// and repairs the rest by move kind.
#include "board/makemove.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include "board/invariants.h"
#include "board/keys.h"
#include "board/movetext.h"
#include "board/position.h"
#include "board/tables.h"

namespace {

// Debug builds check the whole position after every make and unmake, so a
// fault shows at the move that caused it rather than nodes later.
inline void CheckAfter([[maybe_unused]] const char* operation, [[maybe_unused]] Move move) {
#ifndef NDEBUG
    if (const char* fault = CheckPositionInvariants()) {
        char text[8];
        MoveToText(text, move);
        std::fprintf(stderr, "position invariant broken after %s %s: %s\n", operation, text, fault);
        std::abort();
    }
#endif
}

// Rights lost by any capture on a corner square.
constexpr uint16_t CornerRights(int sq) {
    return sq == SQ_A8 ? CASTLE_BLACK_LONG
         : sq == SQ_H8 ? CASTLE_BLACK_SHORT
         : sq == SQ_A1 ? CASTLE_WHITE_LONG
         : sq == SQ_H1 ? CASTLE_WHITE_SHORT : 0;
}

// Rights lost when a rook of the side leaves its corner.
constexpr uint16_t RookLeavesRights(Colour side, int sq) {
    return side == WHITE ? (sq == SQ_A1 ? CASTLE_WHITE_LONG : sq == SQ_H1 ? CASTLE_WHITE_SHORT : 0)
                         : (sq == SQ_A8 ? CASTLE_BLACK_LONG : sq == SQ_H8 ? CASTLE_BLACK_SHORT : 0);
}

constexpr uint16_t SIDE_RIGHTS[2] = {CASTLE_BLACK_SHORT | CASTLE_BLACK_LONG,
                                     CASTLE_WHITE_SHORT | CASTLE_WHITE_LONG};

// The keys of every set of castling rights (bits 1, 2, 8 and 16).
struct RightsKeys {
    uint64_t key[32];
};
constexpr RightsKeys MakeRightsKeys() {
    RightsKeys table{};
    for (unsigned rights = 0; rights < 32; ++rights) table.key[rights] = CastleKeys(rights);
    return table;
}
constexpr RightsKeys RIGHTS_KEYS = MakeRightsKeys();

inline void DropRights(uint16_t lost) {
    lost &= pos.castleRights;
    if (lost) {
        pos.castleRights ^= lost;
        pos.hashKey ^= RIGHTS_KEYS.key[lost];
    }
}

// Promotion piece kind by the low two bits of the move kind.
constexpr PieceKind PROMOTION_KIND[4] = {QUEEN, KNIGHT, ROOK, BISHOP};

struct CastleSquares {
    uint8_t kingFrom, kingTo, rookFrom, rookTo;
};
// Indexed by move kind - 12.
constexpr CastleSquares CASTLE_SQUARES[4] = {
    {SQ_E8, SQ_G8, SQ_H8, SQ_F8},
    {SQ_E1, SQ_G1, SQ_H1, SQ_F1},
    {SQ_E8, SQ_C8, SQ_A8, SQ_D8},
    {SQ_E1, SQ_C1, SQ_A1, SQ_D1},
};

inline void MovePiece(int from, int to, Colour side, uint16_t& count, PlyRecord* record) {
    const int piece = pos.board[from];
    const Bitboard fromTo = BitOf(from) | BitOf(to);
    const uint64_t* keys = keyTable[piece];
    switch (KindOf(piece)) {
    case PAWN: {
        count = 0;
        record->movedPieceSnapshot = pos.pieceBB[piece];
        pos.pieceBB[piece] ^= fromTo;
        int passed = -1;
        if (side == WHITE && from == to + 16) passed = to + 8;
        else if (side == BLACK && from == to - 16) passed = to - 8;
        if (passed >= 0) {
            pos.epSquare = static_cast<uint8_t>(passed);
            pos.hashKey ^= keyTable[0][passed];
            pos.pawnKey ^= static_cast<uint32_t>(keyTable[0][passed]);
        }
        const uint64_t delta = keys[from] ^ keys[to];
        pos.hashKey ^= delta;
        pos.pawnKey ^= static_cast<uint32_t>(delta);
        break;
    }
    case ROOK:
        if (pos.castleRights) DropRights(RookLeavesRights(side, from));
        [[fallthrough]];
    case KNIGHT:
    case BISHOP:
    case QUEEN:
        record->movedPieceSnapshot = pos.pieceBB[piece];
        pos.pieceBB[piece] ^= fromTo;
        pos.hashKey ^= keys[from] ^ keys[to];
        break;
    default:  // king
        pos.kingSq[side] = static_cast<uint8_t>(to);
        pos.hashKey ^= keys[from] ^ keys[to];
        if (pos.castleRights) DropRights(SIDE_RIGHTS[side]);
        break;
    }
    pos.board[to] = pos.board[from];
    pos.board[from] = EMPTY;
    pos.colourBB[side] ^= fromTo;
    pos.occupied = pos.colourBB[0] | pos.colourBB[1];
}

// Removes the enemy piece standing on to (captures and capturing promotions).
inline int RemoveCaptured(int to, int opponent, PlyRecord* record) {
    const int captured = pos.board[to];
    record->capturedPiece = static_cast<uint8_t>(captured);
    pos.pieceBB[captured] ^= BitOf(to);
    pos.colourBB[opponent] ^= BitOf(to);
    pos.hashKey ^= keyTable[captured][to];
    if (pos.castleRights) DropRights(CornerRights(to));
    return captured;
}

// The contract of MakeMove: the mover's piece stands on from and the
// to-square suits the kind. A move that breaks it would corrupt the board
// without any invariant noticing at once.
[[maybe_unused]] bool MoveFitsBoard(Move move) {
    const int from = FromOf(move), to = ToOf(move), kind = KindOfMove(move);
    const int piece = pos.board[from], target = pos.board[to];
    const Colour side = pos.sideToMove;
    if (piece == EMPTY || SideOf(piece) != side) return false;
    const bool enemyThere = target != EMPTY && SideOf(target) != side && KindOf(target) != KING;
    const int lastRow = side == WHITE ? 0 : 7;
    switch (kind) {
    case KIND_QUIET: return target == EMPTY;
    case KIND_CAPTURE: return enemyThere;
    case KIND_EN_PASSANT: return KindOf(piece) == PAWN && to == pos.epSquare && target == EMPTY;
    case KIND_CASTLE_BLACK_SHORT:
    case KIND_CASTLE_WHITE_SHORT:
    case KIND_CASTLE_BLACK_LONG:
    case KIND_CASTLE_WHITE_LONG: return KindOf(piece) == KING && target == EMPTY;
    default:  // promotions
        return KindOf(piece) == PAWN && RowOf(to) == lastRow &&
               (kind < KIND_CAPTURE_PROMO_QUEEN ? target == EMPTY : enemyThere);
    }
}

}  // namespace

void MakeMove(Move move, PlyRecord* record) {
    const int kind = KindOfMove(move);
    if (kind == KIND_SPECIAL) throw SpecialMoveError{};
    assert(MoveFitsBoard(move));
    const int from = FromOf(move), to = ToOf(move);
    const Colour s = pos.sideToMove, o = Opponent(s);

    historyTop->move = move;
    if (pos.epSquare) {
        const uint64_t key = keyTable[0][pos.epSquare];
        pos.hashKey ^= key;
        pos.pawnKey ^= static_cast<uint32_t>(key);
        pos.epSquare = 0;
    }
    const uint16_t previousCount = historyTop->reversiblePlies;
    HistoryEntry* entry = ++historyTop;
    uint16_t count = 0;

    switch (kind) {
    case KIND_QUIET:
        count = static_cast<uint16_t>(previousCount + 1);
        MovePiece(from, to, s, count, record);
        break;
    case KIND_CAPTURE: {
        const int units = MATERIAL_UNITS[pos.board[to]];
        const int captured = RemoveCaptured(to, o, record);
        record->materialChange = static_cast<int8_t>(-units);
        pos.totalMaterial = static_cast<uint16_t>(pos.totalMaterial - units);
        if (KindOf(captured) == PAWN) {
            pos.pawnCount[o]--;
            pos.pawnKey ^= static_cast<uint32_t>(keyTable[captured][to]);
        } else {
            pos.pieceMaterial[o] = static_cast<uint8_t>(pos.pieceMaterial[o] - units);
        }
        MovePiece(from, to, s, count, record);
        break;
    }
    case KIND_EN_PASSANT: {
        const int cs = s == WHITE ? to + 8 : to - 8;
        const int pawn = pos.board[from];
        const int captured = pos.board[cs];
        record->movedPieceSnapshot = pos.pieceBB[pawn];
        record->capturedPiece = static_cast<uint8_t>(captured);
        record->materialChange = -1;
        pos.board[to] = pos.board[from];
        pos.board[from] = EMPTY;
        pos.board[cs] = EMPTY;
        pos.totalMaterial--;
        pos.pawnCount[o]--;
        const uint64_t delta = keyTable[pawn][to] ^ keyTable[pawn][from] ^ keyTable[captured][cs];
        pos.hashKey ^= delta;
        pos.pawnKey ^= static_cast<uint32_t>(delta);
        pos.pieceBB[captured] ^= BitOf(cs);
        pos.colourBB[o] ^= BitOf(cs);
        const Bitboard fromTo = BitOf(from) | BitOf(to);
        pos.pieceBB[pawn] ^= fromTo;
        pos.colourBB[s] ^= fromTo;
        pos.occupied = pos.colourBB[0] | pos.colourBB[1];
        break;
    }
    case KIND_CASTLE_BLACK_SHORT:
    case KIND_CASTLE_WHITE_SHORT:
    case KIND_CASTLE_BLACK_LONG:
    case KIND_CASTLE_WHITE_LONG: {
        const CastleSquares& c = CASTLE_SQUARES[kind - 12];
        const int king = CodeOf(KING, s), rook = CodeOf(ROOK, s);
        DropRights(SIDE_RIGHTS[s]);
        pos.kingSq[s] = c.kingTo;
        pos.hashKey ^= keyTable[king][c.kingFrom] ^ keyTable[king][c.kingTo] ^
                       keyTable[rook][c.rookFrom] ^ keyTable[rook][c.rookTo];
        pos.board[c.kingFrom] = EMPTY;
        pos.board[c.rookFrom] = EMPTY;
        pos.board[c.kingTo] = static_cast<PieceCode>(king);
        pos.board[c.rookTo] = static_cast<PieceCode>(rook);
        pos.pieceBB[rook] ^= BitOf(c.rookFrom) | BitOf(c.rookTo);
        pos.colourBB[s] ^= BitOf(c.kingFrom) | BitOf(c.kingTo) | BitOf(c.rookFrom) | BitOf(c.rookTo);
        pos.occupied = pos.colourBB[0] | pos.colourBB[1];
        break;
    }
    default: {  // promotions, kinds 4..11
        const int pawn = CodeOf(PAWN, s);
        const int promoted = CodeOf(PROMOTION_KIND[kind & 3], s);
        const int promotedUnits = MATERIAL_UNITS[promoted];
        int change = promotedUnits - 1;
        pos.pieceMaterial[s] = static_cast<uint8_t>(pos.pieceMaterial[s] + promotedUnits);
        if (kind >= KIND_CAPTURE_PROMO_QUEEN) {
            const int capturedUnits = MATERIAL_UNITS[pos.board[to]];
            const int captured = RemoveCaptured(to, o, record);
            // A set-up may leave a pawn on the last rank for a promotion to take.
            if (KindOf(captured) == PAWN) {
                pos.pawnCount[o]--;
                pos.pawnKey ^= static_cast<uint32_t>(keyTable[captured][to]);
            } else {
                pos.pieceMaterial[o] = static_cast<uint8_t>(pos.pieceMaterial[o] - capturedUnits);
            }
            change -= capturedUnits;
        }
        record->materialChange = static_cast<int8_t>(change);
        pos.totalMaterial = static_cast<uint16_t>(pos.totalMaterial + change);
        record->movedPieceSnapshot = pos.pieceBB[pawn];
        pos.board[from] = EMPTY;
        pos.board[to] = static_cast<PieceCode>(promoted);
        pos.pawnKey ^= static_cast<uint32_t>(keyTable[pawn][from]);
        pos.hashKey ^= keyTable[promoted][to] ^ keyTable[pawn][from];
        pos.pawnCount[s]--;
        pos.pieceBB[promoted] |= BitOf(to);
        pos.pieceBB[pawn] ^= BitOf(from);
        pos.colourBB[s] ^= BitOf(from) | BitOf(to);
        pos.occupied = pos.colourBB[0] | pos.colourBB[1];
        break;
    }
    }

    pos.sideToMove = o;
    entry->key = pos.hashKey;
    entry->reversiblePlies = count;
    CheckAfter("make", move);
}

void UnmakeMove(Move move, PlyRecord* record) {
    const int kind = KindOfMove(move);
    if (kind == KIND_SPECIAL) throw SpecialMoveError{};
    const int from = FromOf(move), to = ToOf(move);
    const Colour o = pos.sideToMove, s = Opponent(o);

    pos.occupied = record->occupiedSnapshot;
    pos.colourBB[s] = record->sideOccupiedSnapshot;
    pos.epSquare = record->epSnapshot;
    pos.hashKey = record->keySnapshot;
    pos.pawnKey = record->pawnKeySnapshot;
    pos.sideToMove = s;

    switch (kind) {
    case KIND_QUIET:
        pos.castleRights = record->castleSnapshot;
        if (to == pos.kingSq[s]) pos.kingSq[s] = static_cast<uint8_t>(from);
        else pos.pieceBB[pos.board[to]] = record->movedPieceSnapshot;
        pos.board[from] = pos.board[to];
        pos.board[to] = EMPTY;
        break;
    case KIND_CAPTURE: {
        const int captured = record->capturedPiece;
        pos.castleRights = record->castleSnapshot;
        pos.totalMaterial = static_cast<uint16_t>(pos.totalMaterial - record->materialChange);
        if (KindOf(captured) == PAWN) pos.pawnCount[o]++;
        else pos.pieceMaterial[o] = static_cast<uint8_t>(pos.pieceMaterial[o] - record->materialChange);
        pos.pieceBB[captured] |= BitOf(to);
        pos.colourBB[o] |= BitOf(to);
        if (to == pos.kingSq[s]) pos.kingSq[s] = static_cast<uint8_t>(from);
        else pos.pieceBB[pos.board[to]] = record->movedPieceSnapshot;
        pos.board[from] = pos.board[to];
        pos.board[to] = static_cast<PieceCode>(captured);
        break;
    }
    case KIND_EN_PASSANT: {
        const int cs = s == WHITE ? to + 8 : to - 8;
        const int captured = record->capturedPiece;
        const int pawn = pos.board[to];
        pos.board[from] = pos.board[to];
        pos.board[to] = EMPTY;
        pos.totalMaterial++;
        pos.pawnCount[o]++;
        pos.board[cs] = static_cast<PieceCode>(captured);
        pos.colourBB[o] |= BitOf(cs);
        pos.pieceBB[captured] |= BitOf(cs);
        pos.pieceBB[pawn] = record->movedPieceSnapshot;
        break;
    }
    case KIND_CASTLE_BLACK_SHORT:
    case KIND_CASTLE_WHITE_SHORT:
    case KIND_CASTLE_BLACK_LONG:
    case KIND_CASTLE_WHITE_LONG: {
        const CastleSquares& c = CASTLE_SQUARES[kind - 12];
        const int rook = CodeOf(ROOK, s);
        pos.castleRights = record->castleSnapshot;
        pos.kingSq[s] = c.kingFrom;
        pos.board[c.kingFrom] = CodeOf(KING, s);
        pos.board[c.rookFrom] = static_cast<PieceCode>(rook);
        pos.board[c.kingTo] = EMPTY;
        pos.board[c.rookTo] = EMPTY;
        pos.pieceBB[rook] ^= BitOf(c.rookFrom) | BitOf(c.rookTo);
        break;
    }
    default: {  // promotions, kinds 4..11
        const int pawn = CodeOf(PAWN, s);
        const int promoted = pos.board[to];
        pos.pieceMaterial[s] = static_cast<uint8_t>(pos.pieceMaterial[s] - MATERIAL_UNITS[promoted]);
        pos.totalMaterial = static_cast<uint16_t>(pos.totalMaterial - record->materialChange);
        pos.pawnCount[s]++;
        pos.board[from] = static_cast<PieceCode>(pawn);
        pos.pieceBB[pawn] = record->movedPieceSnapshot;
        pos.pieceBB[promoted] ^= BitOf(to);
        if (kind < KIND_CAPTURE_PROMO_QUEEN) {
            pos.board[to] = EMPTY;
        } else {
            const int captured = record->capturedPiece;
            pos.castleRights = record->castleSnapshot;
            pos.pieceBB[captured] |= BitOf(to);
            pos.colourBB[o] |= BitOf(to);
            if (KindOf(captured) == PAWN) pos.pawnCount[o]++;
            else pos.pieceMaterial[o] = static_cast<uint8_t>(pos.pieceMaterial[o] + MATERIAL_UNITS[captured]);
            pos.board[to] = static_cast<PieceCode>(captured);
        }
        break;
    }
    }
    historyTop--;
    CheckAfter("unmake", move);
}

void UnmakeGameMove(Move move, PlyRecord* record) {
    if (historyTop == positionHistory) {
        positionHistory[1] = positionHistory[0];
        positionHistory[0] = HistoryEntry{record->keySnapshot, move, 0};
        historyTop = positionHistory + 1;
    }
    UnmakeMove(move, record);
}
