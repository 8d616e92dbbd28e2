// Helpers shared by the move tests: setting a position from FEN, comparing
// positions bit for bit, recomputing keys from scratch and listing legal moves.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/invariants.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/legality.h"

namespace movetest {

inline void SetFen(const char* fen) {
    static bool tablesReady = false;
    if (!tablesReady) {
        InitTables();
        tablesReady = true;
    }
    FenResult parsed;
    ASSERT_TRUE(ParseFen(fen, parsed)) << fen;
    CommitFen(parsed);
}

constexpr Bitboard Bit(int sq) { return Bitboard{1} << (63 - sq); }

inline int Sq(const char* text) { return (text[0] - 'a') + 8 * ('8' - text[1]); }

// Every field that make and unmake touch.
inline bool SamePosition(const Position& a, const Position& b) {
    return a.sideToMove == b.sideToMove && std::memcmp(a.board, b.board, sizeof a.board) == 0 &&
           std::memcmp(a.pieceBB, b.pieceBB, sizeof a.pieceBB) == 0 &&
           std::memcmp(a.colourBB, b.colourBB, sizeof a.colourBB) == 0 && a.occupied == b.occupied &&
           a.occFiles == b.occFiles && a.occDiagA1H8 == b.occDiagA1H8 && a.occDiagA8H1 == b.occDiagA8H1 &&
           a.hashKey == b.hashKey && a.pawnKey == b.pawnKey && a.kingSq[0] == b.kingSq[0] &&
           a.kingSq[1] == b.kingSq[1] && a.castleRights == b.castleRights && a.epSquare == b.epSquare &&
           a.totalMaterial == b.totalMaterial && a.pieceMaterial[0] == b.pieceMaterial[0] &&
           a.pieceMaterial[1] == b.pieceMaterial[1] && a.pawnCount[0] == b.pawnCount[0] &&
           a.pawnCount[1] == b.pawnCount[1];
}

// Keys built from the pieces; a set position carries neither castling nor
// en-passant terms, so the toggles since the set-up are added separately.
inline uint64_t PieceKeys() {
    uint64_t key = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (pos.board[sq]) key ^= keyTable[pos.board[sq]][sq];
    return key;
}
inline uint32_t PawnKeys() {
    uint32_t key = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (pos.board[sq] == W_PAWN || pos.board[sq] == B_PAWN)
            key ^= static_cast<uint32_t>(keyTable[pos.board[sq]][sq]);
    return key;
}
inline uint64_t CastleKeys(unsigned rights) {
    uint64_t key = 0;
    if (rights & CASTLE_WHITE_SHORT) key ^= keyTable[0][SQ_G1];
    if (rights & CASTLE_WHITE_LONG) key ^= keyTable[0][SQ_C1];
    if (rights & CASTLE_BLACK_SHORT) key ^= keyTable[0][SQ_G8];
    if (rights & CASTLE_BLACK_LONG) key ^= keyTable[0][SQ_C8];
    return key;
}

inline std::string Text(Move m) {
    char buffer[8];
    MoveToText(buffer, m);
    return buffer;
}

// The generator list of the position: evasions in check, all moves otherwise.
inline std::vector<ScoredMove> Generated() {
    ComputeCheckInfo(&plyRecords[0].check);
    const int side = pos.sideToMove;
    ScoredMove* end = plyRecords[0].check.checkers ? GenerateEvasions[side](moveStack, &plyRecords[0].check)
                                                   : GenerateMoves[side](moveStack);
    return std::vector<ScoredMove>(moveStack, end);
}

// "text score" pairs, for readable comparisons of whole lists.
inline std::vector<std::string> Described(const std::vector<ScoredMove>& list) {
    std::vector<std::string> out;
    for (const ScoredMove& m : list) out.push_back(Text(m.move) + " " + std::to_string(m.score));
    return out;
}

// Pseudo-legal moves of a list that do not leave the mover's king attacked.
inline std::vector<Move> LegalOf(const std::vector<ScoredMove>& list) {
    PlyRecord record{};
    SaveSnapshot(&record);
    const int side = pos.sideToMove;
    std::vector<Move> legal;
    for (const ScoredMove& m : list) {
        MakeMove(m.move, &record);
        if (!KingAttackedAfterMove(m.move, side)) legal.push_back(m.move);
        UnmakeMove(m.move, &record);
    }
    std::sort(legal.begin(), legal.end());
    return legal;
}

}  // namespace movetest
