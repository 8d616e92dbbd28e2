// Quiescence search: captures only (every evasion when in check) below the
// full-width depth, so that the static evaluation is taken in quiet
// positions. It always runs to completion and does not count nodes.
#include "search/search.h"

#include <utility>

#include "board/makemove.h"
#include "board/position.h"
#include "eval/evaluate.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/legality.h"
#include "search/hashtable.h"

namespace {

constexpr int LAST_QUIESCENCE_DEPTH = -8;
constexpr int16_t HASH_MOVE_MARK = 30000;
constexpr int16_t KILLER1_BONUS = 1500;
constexpr int16_t KILLER2_BONUS = 1000;

}  // namespace

int16_t Quiescence(int qdepth, int ply, int alpha, int beta) {
    PlyRecord* const record = currentPly;
    ScoredMove* const listStart = record == plyRecords ? moveStack : (record - 1)->listEnd;
    if (ply >= PLY_RECORDS || NoRoomForChildren(listStart)) return Evaluate();

    // qdepth is never above 0, so every matching search entry is deep enough.
    const HashEntry* const probe = ProbeHash();
    if (probe && IsBookEntry(probe)) {
        record->hashMove = EntryMove(probe);
        record->hashDepth = 0;
    } else if (const HashEntry* entry = probe) {
        record->hashMove = EntryMove(entry);
        record->hashDepth = static_cast<uint8_t>(EntryDepth(entry));
        const int score = EntryScore(entry);
        const uint32_t bound = EntryBound(entry);
        record->hashScore = static_cast<int16_t>(score);
        record->hashBound = bound;
        if (bound == BOUND_EXACT) return static_cast<int16_t>(score);
        if (bound == BOUND_LOWER) {
            if (beta <= score) return static_cast<int16_t>(score);
            if (alpha < score) alpha = score;
        } else {
            if (score <= alpha) return static_cast<int16_t>(score);
            if (score < beta) beta = score;
        }
    } else {
        record->hashMove = MOVE_NONE;
        record->hashDepth = 0;
    }

    uint32_t bound = BOUND_UPPER;
    Move bestMove = MOVE_NONE;
    ComputeCheckInfo(&record->check);
    const bool inCheck = record->check.checkers != 0;
    const int side = pos.sideToMove;
    int best;
    if (inCheck) {
        best = -INFINITE_SCORE;
        record->listEnd = GenerateEvasions[side](listStart, &record->check);
    } else {
        const int standPat = Evaluate();
        if (standPat > alpha) {
            alpha = standPat;
            if (standPat >= beta) return static_cast<int16_t>(standPat);
        }
        best = standPat;
        record->listEnd = GenerateCaptures[side](listStart);
    }
    ScoredMove* const listEnd = record->listEnd;
    SaveSnapshot(record);

    for (ScoredMove* entry = listStart; entry < listEnd; ++entry) {
        if (entry->move == record->hashMove) entry->score = HASH_MOVE_MARK;
        else if (entry->move == record->killer1) entry->score = static_cast<int16_t>(entry->score + KILLER1_BONUS);
        else if (entry->move == record->killer2) entry->score = static_cast<int16_t>(entry->score + KILLER2_BONUS);
    }

    for (ScoredMove* cursor = listStart; cursor < listEnd; ++cursor) {
        ScoredMove* pick = cursor;
        for (ScoredMove* entry = cursor + 1; entry < listEnd; ++entry)
            if (entry->score > pick->score) pick = entry;
        std::swap(*cursor, *pick);
        record->cursor = cursor;

        const Move move = cursor->move;
        int score;
        MakeMove(move, record);
        currentPly = record + 1;
        if (KingAttackedAfterMove(move, side)) {
            score = -INFINITE_SCORE;
        } else if (qdepth == LAST_QUIESCENCE_DEPTH || ply == PLY_RECORDS - 1) {
            score = -Evaluate();
        } else if (pos.totalMaterial < 4 && pos.pawnCount[0] == 0 && pos.pawnCount[1] == 0) {
            score = 0;  // at most one minor piece left: nobody can mate
        } else {
            score = -Quiescence(qdepth - 1, ply + 1, -beta, -alpha);
        }
        currentPly = record;
        UnmakeMove(move, record);
        cursor->score = static_cast<int16_t>(score);

        if (score > best) {
            if (score > alpha) {
                if (score >= beta) {
                    if (move != record->killer1) {
                        record->killer2 = record->killer1;
                        record->killer1 = move;
                    }
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
        const int mated = ply - MATE_SCORE;
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
