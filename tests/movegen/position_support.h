// Helpers shared by the move tests: positions from FEN, bit-for-bit
// comparison, keys recomputed from scratch and move lists as text.
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
#include "board/position.h"
#include "board/tables.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/legality.h"

namespace movetest {

inline void SetFen(const char* fen) {
    static const bool tablesReady = (InitTables(), true);
    (void)tablesReady;
    FenResult parsed;
    ASSERT_TRUE(ParseFen(fen, parsed)) << fen;
    CommitFen(parsed);
}

constexpr Bitboard Bit(int sq) { return Bitboard{1} << (63 - sq); }
inline Square Sq(const char* text) { return ToSquare((text[0] - 'a') + 8 * ('8' - text[1])); }

// Keys from the pieces alone (a set position has no castling or en-passant terms).
inline uint64_t PieceKeys(bool pawnsOnly = false) {
    uint64_t key = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (pos.board[sq] && (!pawnsOnly || pos.board[sq] <= B_PAWN)) key ^= keyTable[pos.board[sq]][sq];
    return key;
}
inline std::string Text(Move m) {
    char buffer[8];
    MoveToText(buffer, m);
    return buffer;
}

// "text score" per entry, for readable comparisons of whole lists.
inline std::vector<std::string> Described(const ScoredMove* begin, const ScoredMove* end) {
    std::vector<std::string> out;
    for (; begin != end; ++begin) out.push_back(Text(begin->move) + " " + std::to_string(begin->score));
    return out;
}

// The moves of a list that do not leave the mover's king attacked, sorted.
inline std::vector<Move> LegalOf(const ScoredMove* begin, const ScoredMove* end) {
    PlyRecord record{};
    SaveSnapshot(&record);
    const Colour side = pos.sideToMove;
    std::vector<Move> legal;
    for (; begin != end; ++begin) {
        MakeMove(begin->move, &record);
        if (!KingAttackedAfterMove(begin->move, side)) legal.push_back(begin->move);
        UnmakeMove(begin->move, &record);
    }
    std::sort(legal.begin(), legal.end());
    return legal;
}

}  // namespace movetest
