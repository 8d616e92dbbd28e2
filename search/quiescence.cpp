// Quiescence search: captures only (every evasion when in check) below the
// full-width depth, so that the static evaluation is taken in quiet
// positions. It always runs to completion and does not count nodes.
#include "search/search.h"

#include <utility>

#include "board/position.h"
#include "eval/evaluate.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/node.h"

using namespace search;

namespace {

constexpr int LAST_QUIESCENCE_DEPTH = -8;
constexpr int16_t KILLER1_BONUS = 1500;
constexpr int16_t KILLER2_BONUS = 1000;

void MarkQuiescenceOrder(const PlyRecord* record, ScoredMove* start, ScoredMove* end) {
    for (ScoredMove* entry = start; entry < end; ++entry) {
        if (entry->move == record->hashMove) entry->score = ORDER_HASH_MOVE;
        else if (entry->move == record->killer1) entry->score = static_cast<int16_t>(entry->score + KILLER1_BONUS);
        else if (entry->move == record->killer2) entry->score = static_cast<int16_t>(entry->score + KILLER2_BONUS);
    }
}

// The highest-scored entry from cursor on, swapped to the cursor.
ScoredMove* PickBest(ScoredMove* cursor, ScoredMove* end) {
    ScoredMove* pick = cursor;
    for (ScoredMove* entry = cursor + 1; entry < end; ++entry)
        if (entry->score > pick->score) pick = entry;
    std::swap(*cursor, *pick);
    return cursor;
}

}  // namespace

int16_t Quiescence(int qdepth, int ply, int alpha, int beta) {
    AssertNodeEntry(ply, alpha, beta);
    if (ply > selDepth) selDepth = ply;
    PlyRecord* const record = currentPly;
    ScoredMove* const listStart = NodeListStart(record);
    if (ply >= PLY_RECORDS || NoRoomForChildren(listStart)) return Evaluate();

    // The check information and the static value do not depend on the table;
    // working them out first gives the table's bucket time to arrive.
    ComputeCheckInfo(&record->check);
    const bool inCheck = record->check.checkers != 0;
    const int standPat = inCheck ? 0 : Evaluate();

    // qdepth is never above 0, so every matching search entry is deep enough.
    const TableView table = ProbeNode(record, 0, false, alpha, beta);
    if (table.usable) {
        if (table.answers) return static_cast<int16_t>(table.score);
        NarrowWindow(table, alpha, beta);
    }

    uint32_t bound = BOUND_UPPER;
    Move bestMove = MOVE_NONE;
    const Colour side = pos.sideToMove;
    int best;
    if (inCheck) {
        best = -INFINITE_SCORE;
        record->listEnd = GenerateEvasions[side](listStart, &record->check);
    } else {
        if (standPat > alpha) {
            alpha = standPat;
            if (standPat >= beta) return static_cast<int16_t>(standPat);
        }
        best = standPat;
        record->listEnd = GenerateCaptures[side](listStart);
    }
    ScoredMove* const listEnd = record->listEnd;
    SaveSnapshot(record);
    MarkQuiescenceOrder(record, listStart, listEnd);
    // Captures are few: start loading every child's bucket now.
    for (const ScoredMove* entry = listStart; entry < listEnd; ++entry)
        PrefetchHash(GuessKeyAfter(entry->move), Opponent(side));

    for (ScoredMove* cursor = listStart; cursor < listEnd; ++cursor) {
        record->cursor = PickBest(cursor, listEnd);
        const Move move = cursor->move;
        int score;
        {
            const ChildPly child(record, move);
            if (KingAttackedAfterMove(move, side)) {
                score = -INFINITE_SCORE;
            } else if (qdepth == LAST_QUIESCENCE_DEPTH || ply == PLY_RECORDS - 1) {
                score = -Evaluate();
            } else if (NoMatingMaterial()) {
                score = 0;
            } else {
                score = -Quiescence(qdepth - 1, ply + 1, -beta, -alpha);
            }
        }
        cursor->score = static_cast<int16_t>(score);

        if (score > best) {
            if (score > alpha) {
                if (score >= beta) {
                    // Any refutation here counts as a killer, captures included.
                    RememberKiller(record, move);
                    StoreHash(0, BOUND_LOWER, score, move);
                    return static_cast<int16_t>(score);
                }
                alpha = score;
                bound = BOUND_EXACT;
            }
            best = score;
            bestMove = move;
        }
    }

    if (best == -INFINITE_SCORE) {
        const int mated = MatedAtPly(ply);
        StoreHash(0, BOUND_EXACT, mated, MOVE_MATE);
        return static_cast<int16_t>(mated);
    }
    if (!inCheck) {
        if (bestMove == MOVE_NONE) return static_cast<int16_t>(best);
        StoreHash(0, bound, best, bestMove);
        return static_cast<int16_t>(best);
    }
    StoreHash(1, bound, best, bestMove);
    return static_cast<int16_t>(best);
}
