// Full-width alpha-beta search of the inner nodes: fail-soft negamax with
// null-window re-searches, null-move pruning, internal iterative deepening,
// a check extension from the second check on a line, and killer and history
// ordering.
#include "search/search.h"

#include <utility>

#include "eval/evaluate.h"
#include "movegen/evasions.h"
#include "movegen/movelist.h"
#include "movegen/nullmove.h"
#include "search/node.h"

using namespace search;

uint64_t nodeCount = 0;
int32_t checkCount[2] = {0, 0};

namespace {

// Room one node needs in the move stack. Legal positions have at most 218
// moves; set-up positions with many promotable pawns and extra queens can
// have more pseudo-legal entries, so the margin is generous.
constexpr int NODE_LIST_ROOM = 512;

// Keeps a quiet-stage entry's ordering score positive inside its history key.
constexpr int HISTORY_KEY_OFFSET = 33000;

// Null move: a side with less piece material than this does not pass in a
// deep node; with at least NULL_MOVE_DEEP_MATERIAL in a deep node it skips
// three plies instead of two.
constexpr int NULL_MOVE_MATERIAL = 6;
constexpr int NULL_MOVE_LOW_MATERIAL_DEPTH = 6;
constexpr int NULL_MOVE_DEEP_MATERIAL = 9;
constexpr int NULL_MOVE_DEEP_DEPTH = 7;

constexpr int IID_REDUCTION = 2;
// Children of deeper plies go straight to the quiescence search.
constexpr int LAST_FULL_WIDTH_PLY = 126;

}  // namespace

bool NoRoomForChildren(const ScoredMove* listStart) {
    if (listStart + NODE_LIST_ROOM > moveStack + MOVE_STACK_SIZE) return true;
    // One entry for the move made here and one for the repetition test's trial entry.
    return historyTop - positionHistory + 2 >= HISTORY_SIZE;
}

void MarkHashAndKillers(PlyRecord* record, ScoredMove* start, ScoredMove* end) {
    for (ScoredMove* entry = start; entry < end; ++entry) {
        if (entry->move == record->hashMove) entry->score = ORDER_HASH_MOVE;
        else if (entry->move == record->killer1) entry->score = ORDER_KILLER1;
        else if (entry->move == record->killer2) entry->score = ORDER_KILLER2;
    }
}

void StartPicker(MovePicker& picker, PlyRecord* record, ScoredMove* start, Colour side) {
    picker.record = record;
    picker.base = start;
    picker.historyStage = false;
    picker.side = side;
    record->cursor = start;
}

ScoredMove* NextMove(MovePicker& picker) {
    PlyRecord* const record = picker.record;
    ScoredMove* const cursor = record->cursor;
    ScoredMove* const end = record->listEnd;
    if (cursor >= end) return nullptr;
    record->cursor = cursor + 1;

    if (picker.historyStage) {
        uint32_t* const keys = record->orderingKeys;
        const int first = static_cast<int>(cursor - picker.base);
        const int count = static_cast<int>(end - picker.base);
        int best = first;
        for (int i = first + 1; i < count; ++i)
            if (keys[i] > keys[best]) best = i;
        std::swap(keys[first], keys[best]);
        std::swap(*cursor, picker.base[best]);
        return cursor;
    }

    ScoredMove* best = cursor;
    for (ScoredMove* entry = cursor + 1; entry < end; ++entry)
        if (entry->score > best->score) best = entry;
    std::swap(*cursor, *best);
    // Entries below the stage are quiet moves, losing captures, interpositions
    // and minor promotions: the history counters order them.
    if (cursor->score >= ORDER_HISTORY_STAGE) return cursor;

    // The rest of the list goes by history key. While more entries remain
    // than the record has keys for, picks go on by score (every entry is
    // still searched); the history order takes over once they fit.
    if (end - cursor > ORDERING_KEYS) return cursor;
    uint32_t* const keys = record->orderingKeys;
    const uint32_t* const counters = historyTable[picker.side];
    const int count = static_cast<int>(end - cursor);
    for (int i = 0; i < count; ++i)
        keys[i] = counters[cursor[i].move & 0xFFF] + static_cast<uint32_t>(cursor[i].score + HISTORY_KEY_OFFSET);
    picker.base = cursor;
    picker.historyStage = true;
    int bestKey = 0;
    for (int i = 1; i < count; ++i)
        if (keys[i] > keys[bestKey]) bestKey = i;
    std::swap(keys[0], keys[bestKey]);
    std::swap(*cursor, cursor[bestKey]);
    return cursor;
}

int16_t AlphaBeta(int depth, int ply, int alpha, int beta, int allowNull) {
    AssertNodeEntry(ply, alpha, beta);
    if (ply > selDepth) selDepth = ply;
    PlyRecord* const record = currentPly;
    ScoredMove* const listStart = NodeListStart(record);
    if (ply >= PLY_RECORDS - 1 || NoRoomForChildren(listStart)) return Evaluate();

    // Independent of the table; worked out first while its bucket loads.
    ComputeCheckInfo(&record->check);
    const bool inCheck = record->check.checkers != 0;

    // An entry whose move heads for a repetition is not trusted. While the
    // root re-searches a failed window, the window at its own depth stays.
    const TableView table = ProbeNode(record, depth, true, alpha, beta);
    if (table.usable && RepetitionAfterMove(record->hashMove) == 0) {
        if (table.answers) return static_cast<int16_t>(table.score);
        const bool windowFixed = rootFailState.load(std::memory_order_relaxed) != 0 && depth == iterationDepth;
        if (!windowFixed) NarrowWindow(table, alpha, beta);
    }

    int best = -INFINITE_SCORE;
    uint32_t bound = BOUND_UPPER;
    int extension = 0;
    Move bestMove = MOVE_NONE;
    const Colour side = pos.sideToMove;

    // Null move: a side with pieces that can pass and still stay above beta
    // is cut without searching its moves.
    const int material = pos.pieceMaterial[side];
    if (allowNull && !inCheck && material != 0 &&
        !(material < NULL_MOVE_MATERIAL && depth > NULL_MOVE_LOW_MATERIAL_DEPTH)) {
        const int reduction = (material >= NULL_MOVE_DEEP_MATERIAL && depth >= NULL_MOVE_DEEP_DEPTH) ? 3 : 2;
        if (record->listEnd == nullptr) record->listEnd = listStart;
        MakeNullMove(record);
        PrefetchHash(pos.hashKey, pos.sideToMove);
        currentPly = record + 1;
        currentPly->listEnd = nullptr;
        int value;
        if (depth > reduction + 1)
            value = -AlphaBeta(depth - reduction - 1, ply + 1, -beta, -beta + 1, 0);
        else
            value = -Quiescence(0, ply + 1, -beta, -beta + 1);
        currentPly = record;
        UnmakeNullMove(record);
        record->listEnd = nullptr;
        if (StopRequested()) return -INFINITE_SCORE;
        if (value >= beta) return static_cast<int16_t>(value);
    }

    // Internal iterative deepening: a shallow search of this node finds a
    // move to try first and leaves its scored list for the ordering below.
    if (record->hashDepth < depth - IID_REDUCTION) {
        AlphaBeta(depth - IID_REDUCTION, ply, alpha, beta, allowNull);
        if (const HashEntry* entry = ProbeHash()) record->hashMove = EntryMove(entry);
    }

    if (inCheck && checkCount[side]++ != 0) extension = 1;
    auto leave = [&](int score) {
        if (inCheck) --checkCount[side];
        return static_cast<int16_t>(score);
    };

    if (record->listEnd == nullptr) record->listEnd = GenerateNodeMoves(listStart, &record->check);
    SaveSnapshot(record);
    MarkHashAndKillers(record, listStart, record->listEnd);
    for (const ScoredMove* entry = listStart; entry < record->listEnd; ++entry)
        PrefetchHash(GuessKeyAfter(entry->move), Opponent(side));

    MovePicker picker;
    StartPicker(picker, record, listStart, side);
    while (ScoredMove* entry = NextMove(picker)) {
        const Move move = entry->move;
        PrefetchHash(GuessKeyAfter(move), Opponent(side));
        int score;
        ++nodeCount;
        {
            const ChildPly child(record, move);
            if (KingAttackedAfterMove(move, side)) {
                score = -INFINITE_SCORE;
            } else if (DrawTest(1) != MOVE_NONE) {
                score = 0;
            } else {
                const int newDepth = depth + extension;
                child.Fresh();
                if (newDepth < 2 || ply > LAST_FULL_WIDTH_PLY)
                    score = -Quiescence(0, ply + 1, -beta, -alpha);
                else
                    score = SearchChild(newDepth - 1, ply + 1, alpha, beta, bound == BOUND_EXACT);
            }
        }
        if (StopRequested()) return leave(best);

        entry->score = static_cast<int16_t>(score);
        if (score > best) {
            if (score > alpha) {
                if (score >= beta) {
                    RecordFullWidthCut(record, move, side, depth, score);
                    return leave(score);
                }
                alpha = score;
                bound = BOUND_EXACT;
            }
            best = score;
            bestMove = move;
        }
    }

    if (best > -INFINITE_SCORE) {
        StoreHash(depth, bound, best, bestMove);
        return leave(best);
    }
    if (inCheck) {
        const int mated = MatedAtPly(ply);
        StoreHash(depth, BOUND_EXACT, mated, MOVE_MATE);
        return leave(mated);
    }
    StoreHash(depth, BOUND_EXACT, 0, MOVE_STALEMATE);
    return leave(0);
}
