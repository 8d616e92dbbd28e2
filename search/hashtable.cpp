// The transposition table. Each side to move has its own half, so the null
// move needs no key change; the book lives here too as entries of stamp 0.
#include "search/hashtable.h"

#include <cstring>

#include "board/hugepages.h"
#include "board/position.h"

alignas(HUGE_PAGE_SIZE) HashBucket hashTable[HASH_BUCKETS];
uint16_t hashStamp = 1;

namespace {

// Runs at static initialisation, before the first clear touches the table.
const bool hugePagesAdvised = (AdviseHugePages(hashTable, sizeof hashTable), true);

constexpr uint32_t KEY_BITS_IN_WORD0 = 0xFFFF0000u;
// Bits 0..18 of the low key half are implied by the bucket index.
constexpr uint32_t KEY_BITS_COMPARED = 0xFFF80000u;
constexpr int DEPTH_LIMIT = static_cast<int>(DEPTH_BITS);

HashBucket& CurrentBucket() {
    const uint32_t low = static_cast<uint32_t>(pos.hashKey);
    return hashTable[(low & HASH_INDEX_MASK) + (static_cast<uint32_t>(pos.sideToMove) << HASH_HALF_SHIFT)];
}

bool Matches(const HashEntry& e, uint32_t low, uint32_t high) {
    return ((e.word0 ^ low) & KEY_BITS_COMPARED) == 0 && e.word1 == high;
}

// Positive when the new entry should displace the slot: deeper, or the slot
// is older (its stamp behind the current one).
int16_t ReplacementValue(const HashEntry& e, int depth) {
    return static_cast<int16_t>(depth + hashStamp - EntryStamp(&e) - EntryDepth(&e));
}

bool Replaces(const HashEntry& e, int depth, uint32_t bound) {
    const int16_t v = ReplacementValue(e, depth);
    return v > 0 || (v == 0 && EntryBound(&e) > bound);
}

}  // namespace

void ClearHashTable() { std::memset(hashTable, 0, sizeof hashTable); }

HashEntry* ProbeHash() {
    const uint32_t low = static_cast<uint32_t>(pos.hashKey);
    const uint32_t high = static_cast<uint32_t>(pos.hashKey >> 32);
    HashBucket& bucket = CurrentBucket();
    for (HashEntry& e : bucket.slot)
        if (Matches(e, low, high)) return &e;
    return nullptr;
}

void StoreBookMove(Move move) {
    const uint32_t low = static_cast<uint32_t>(pos.hashKey);
    HashEntry& entry = CurrentBucket().slot[0];
    entry.word0 = (low & KEY_BITS_IN_WORD0) | move;
    entry.word1 = static_cast<uint32_t>(pos.hashKey >> 32);
    entry.word2 &= ~STAMP_BITS;
}

void StoreHash(int depth, uint32_t bound, int score, Move move) {
    // Depth saturates rather than spilling into the bound bits, and the score
    // is kept inside the 14 bits it is stored in.
    if (depth > DEPTH_LIMIT) depth = DEPTH_LIMIT;
    if (depth < 0) depth = 0;
    if (score > INFINITE_SCORE) score = INFINITE_SCORE;
    if (score < -INFINITE_SCORE) score = -INFINITE_SCORE;
    bound &= BOUND_BITS;

    const uint32_t low = static_cast<uint32_t>(pos.hashKey);
    const uint32_t high = static_cast<uint32_t>(pos.hashKey >> 32);
    const HashEntry fresh{
        (low & KEY_BITS_IN_WORD0) | move,
        high,
        static_cast<uint32_t>(depth) | bound | (static_cast<uint32_t>(hashStamp & STAMP_MASK) << STAMP_SHIFT) |
            (static_cast<uint32_t>(score + INFINITE_SCORE) << SCORE_SHIFT)};

    HashBucket& bucket = CurrentBucket();
    HashEntry& first = bucket.slot[0];
    if (Matches(first, low, high)) {
        const int oldDepth = EntryDepth(&first);
        if (depth < oldDepth) return;
        if (depth == oldDepth && EntryBound(&first) <= bound) return;
        first = fresh;
        return;
    }
    if (Replaces(first, depth, bound)) {
        bucket.slot[1] = first;
        first = fresh;
        return;
    }
    if (Replaces(bucket.slot[1], depth, bound)) {
        bucket.slot[1] = fresh;
        return;
    }
    bucket.slot[2] = fresh;
}
