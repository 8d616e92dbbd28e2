// The transposition table. Each side to move has its own half, so the null
// move needs no key change; the book lives here too as entries of stamp 0.
#include "search/hashtable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/hugepages.h"
#include "board/position.h"

namespace {

HashBucket* AllocateTable(uint64_t buckets) {
    return static_cast<HashBucket*>(AllocateHugePages(buckets * sizeof(HashBucket)));
}

HashBucket* DefaultTable() {
    HashBucket* table = AllocateTable(DEFAULT_HASH_BUCKETS);
    if (!table) {
        std::fputs("no memory for the transposition table\n", stderr);
        std::abort();
    }
    return table;
}

constexpr int Log2(uint64_t powerOfTwo) { return __builtin_ctzll(powerOfTwo); }

}  // namespace

HashBucket* hashTable = DefaultTable();
int hashHalfShift = Log2(DEFAULT_HASH_BUCKETS) - 1;
uint32_t hashIndexMask = (1u << hashHalfShift) - 1;
uint16_t hashStamp = 1;

namespace {

// The key bits kept in word 0. A table of at least 2^17 buckets implies the
// low bits by the bucket index; in a smaller one the bits between the index
// and word 0 go uncompared.
constexpr uint32_t KEY_BITS_IN_WORD0 = 0xFFFF0000u;
constexpr int DEPTH_LIMIT = static_cast<int>(DEPTH_BITS);

HashBucket& CurrentBucket() {
    const uint32_t low = static_cast<uint32_t>(pos.hashKey);
    return hashTable[(low & hashIndexMask) + (static_cast<uint32_t>(pos.sideToMove) << hashHalfShift)];
}

bool Matches(const HashEntry& e, uint32_t low, uint32_t high) {
    return ((e.word0 ^ low) & KEY_BITS_IN_WORD0) == 0 && e.word1 == high;
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

uint64_t HashBucketCount() { return uint64_t{2} << hashHalfShift; }

uint64_t HashBucketsFor(uint32_t megabytes) {
    const uint64_t fits = (uint64_t{megabytes} << 20) / sizeof(HashBucket);
    // Two halves of at least one bucket.
    if (fits < 2) return 2;
    return uint64_t{1} << (63 - __builtin_clzll(fits));
}

bool ResizeHashTable(uint32_t megabytes) {
    const uint64_t buckets = HashBucketsFor(megabytes);
    if (buckets == HashBucketCount()) {
        ClearHashTable();
        return true;
    }
    HashBucket* const table = AllocateTable(buckets);
    if (!table) return false;
    FreeHugePages(hashTable, HashBucketCount() * sizeof(HashBucket));
    hashTable = table;
    hashHalfShift = Log2(buckets) - 1;
    hashIndexMask = (1u << hashHalfShift) - 1;
    return true;
}

void ClearHashTable() { std::memset(hashTable, 0, HashBucketCount() * sizeof(HashBucket)); }

int HashFullPermill() {
    // A thousand entries: three per bucket from buckets evenly apart.
    constexpr int SAMPLE_ENTRIES = 999;
    constexpr int SAMPLE_BUCKETS = SAMPLE_ENTRIES / 3;
    const uint64_t buckets = HashBucketCount();
    const uint64_t sampled = buckets < SAMPLE_BUCKETS ? buckets : SAMPLE_BUCKETS;
    const uint64_t stride = buckets / sampled;
    int used = 0;
    for (uint64_t i = 0; i < sampled; ++i)
        for (const HashEntry& e : hashTable[i * stride].slot) used += (e.word0 | e.word1 | e.word2) != 0;
    return static_cast<int>(used * 1000 / (3 * sampled));
}

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
