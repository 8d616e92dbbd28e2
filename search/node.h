// Steps shared by the root, the inner nodes and the quiescence nodes: the
// table probe, the hand-over of the child's ply record around a move, and
// the bookkeeping of a cut. Internal to the search.
#pragma once

#include <cassert>

#include "board/keys.h"
#include "board/makemove.h"
#include "eval/evaluate.h"
#include "movegen/legality.h"
#include "search/hashtable.h"
#include "search/search.h"

namespace search {

// A node's list starts where its parent's ends; the root's at the bottom of
// the move stack.
inline ScoredMove* NodeListStart(const PlyRecord* record) {
    return record == plyRecords ? moveStack : (record - 1)->listEnd;
}

// What every node may assume on entry: a window inside the score scale, and
// its own record current, linked to a parent that has generated its list.
// (A stopped search unwinds with whatever window its last results made; it
// returns before using it.)
inline void AssertNodeEntry([[maybe_unused]] int ply, [[maybe_unused]] int alpha, [[maybe_unused]] int beta) {
    assert(-INFINITE_SCORE <= alpha && beta <= INFINITE_SCORE);
    assert(alpha < beta || StopRequested());
    assert(currentPly == plyRecords + ply);
    assert(ply == 0 || currentPly[-1].listEnd != nullptr);
}

// A matching table entry as a node sees it.
struct TableView {
    bool usable;     // a search entry deep enough for the node
    int score;
    uint32_t bound;
    bool answers;    // its score is a result for the window the node was given
};

// Probes the table for the current position and records the entry's move
// and depth (and, where the entry is usable, its score and bound) in record.
// With needsDepth an entry shallower than depth is not usable. A book entry
// offers its move and nothing else.
inline TableView ProbeNode(PlyRecord* record, int depth, bool needsDepth, int alpha, int beta) {
    const HashEntry* const entry = ProbeHash();
    if (entry == nullptr) {
        record->hashMove = MOVE_NONE;
        record->hashDepth = 0;
        return {};
    }
    record->hashMove = EntryMove(entry);
    if (IsBookEntry(entry)) {
        record->hashDepth = 0;
        return {};
    }
    record->hashDepth = static_cast<uint8_t>(EntryDepth(entry));
    if (needsDepth && depth > EntryDepth(entry)) return {};
    const int score = EntryScore(entry);
    const uint32_t bound = EntryBound(entry);
    record->hashScore = static_cast<int16_t>(score);
    record->hashBound = bound;
    const bool answers = bound == BOUND_EXACT || (bound == BOUND_LOWER && score >= beta) ||
                         (bound == BOUND_UPPER && score <= alpha);
    return {true, score, bound, answers};
}

// A bound that is no result still narrows the window.
inline void NarrowWindow(const TableView& table, int& alpha, int& beta) {
    if (table.bound == BOUND_LOWER && alpha < table.score) alpha = table.score;
    if (table.bound == BOUND_UPPER && table.score < beta) beta = table.score;
}

// The position key after a move, for prefetching the child's bucket before
// the move is made: exact for quiet moves and captures that change no
// castling or en-passant state; any other move gives a harmless wrong guess.
inline uint64_t GuessKeyAfter(Move move) {
    const Square from = FromOf(move), to = ToOf(move);
    const int piece = pos.board[from], captured = pos.board[to];
    uint64_t key = pos.hashKey ^ keyTable[piece][from] ^ keyTable[piece][to];
    if (captured != EMPTY) key ^= keyTable[captured][to];
    if (pos.epSquare) key ^= keyTable[0][pos.epSquare];
    return key;
}

// Makes a move from the node's record and hands the next record to the
// child for as long as the object lives; its end takes the move back.
class ChildPly {
public:
    ChildPly(PlyRecord* record, Move move) : record_(record), move_(move) {
        MakeMove(move, record);
        PrefetchHash(pos.hashKey, pos.sideToMove);
        PrefetchPawnEntry(pos.pawnKey);
        currentPly = record + 1;
    }
    ~ChildPly() {
        currentPly = record_;
        UnmakeMove(move_, record_);
    }
    ChildPly(const ChildPly&) = delete;
    ChildPly& operator=(const ChildPly&) = delete;

    // The child record, with no list of its own yet.
    PlyRecord* Fresh() const {
        record_[1].listEnd = nullptr;
        return record_ + 1;
    }

private:
    PlyRecord* const record_;
    const Move move_;
};

// Principal-variation search of a full-width child: once a move has raised
// alpha (the node's bound is exact), the others are tried with a null
// window first and searched again only when they land inside the window.
inline int SearchChild(int childDepth, int childPly, int alpha, int beta, bool exactSoFar) {
    if (!exactSoFar) return -AlphaBeta(childDepth, childPly, -beta, -alpha, 1);
    const int score = -AlphaBeta(childDepth, childPly, -alpha - 1, -alpha, 1);
    if (alpha < score && score < beta) return -AlphaBeta(childDepth, childPly, -beta, -alpha, 1);
    return score;
}

// A move that refuted the node becomes its first killer; the old first
// killer moves to second place.
inline void RememberKiller(PlyRecord* record, Move move) {
    if (move == record->killer1) return;
    record->killer2 = record->killer1;
    record->killer1 = move;
}

inline bool IsQuietOrCastling(Move move) {
    const int kind = KindOfMove(move);
    return kind == KIND_QUIET || kind >= KIND_CASTLE_BLACK_SHORT;
}

// A full-width cut: quiet moves become killers and every cutting move earns
// history credit by the depth searched.
inline void CreditCut(PlyRecord* record, Move move, Colour side, int depth) {
    if (IsQuietOrCastling(move)) RememberKiller(record, move);
    historyTable[side][move & 0xFFF] += static_cast<uint32_t>(depth * depth);
}

// The credit of a cut, and its lower bound stored.
inline void RecordFullWidthCut(PlyRecord* record, Move move, Colour side, int depth, int score) {
    CreditCut(record, move, side, depth);
    StoreHash(depth, BOUND_LOWER, score, move);
}

}  // namespace search
