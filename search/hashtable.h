// The transposition table: a power of two of buckets of three 12-byte
// entries (2^20 unless resized), split by side to move. It also carries the
// opening book (entries with stamp 0).
#pragma once

#include <cstdint>
#include "board/types.h"

struct HashEntry {
    uint32_t word0;  // move in bits 0-15, key low-half bits 16-31
    uint32_t word1;  // key high half
    uint32_t word2;  // depth 0-6, bound 7-8, stamp 9-17, score+8190 18-31
};
struct HashBucket {
    HashEntry slot[3];
};

static_assert(sizeof(HashEntry) == 12 && sizeof(HashBucket) == 36, "entries are packed into three words");

constexpr uint32_t BOUND_EXACT = 0;
constexpr uint32_t BOUND_LOWER = 0x80;
constexpr uint32_t BOUND_UPPER = 0x100;

// Fields of word 2.
constexpr uint32_t DEPTH_BITS = 0x7F;
constexpr uint32_t BOUND_BITS = BOUND_LOWER | BOUND_UPPER;
constexpr int STAMP_SHIFT = 9;
constexpr uint32_t STAMP_MASK = 0x1FF;
constexpr uint32_t STAMP_BITS = STAMP_MASK << STAMP_SHIFT;
constexpr int SCORE_SHIFT = 18;  // the score is stored plus INFINITE_SCORE

// Two halves, one per side to move, indexed by the low bits of the key:
// bucket (low key & hashIndexMask) + (side << hashHalfShift).
constexpr uint64_t DEFAULT_HASH_BUCKETS = uint64_t{1} << 20;
// The table's size in megabytes: the default is exactly 2^20 buckets.
constexpr uint32_t DEFAULT_HASH_MB = 36;
constexpr uint32_t MIN_HASH_MB = 1;
constexpr uint32_t MAX_HASH_MB = 32768;
static_assert(DEFAULT_HASH_BUCKETS * sizeof(HashBucket) == uint64_t{DEFAULT_HASH_MB} << 20);

extern HashBucket* hashTable;
extern uint32_t hashIndexMask;
extern int hashHalfShift;
extern uint16_t hashStamp;

uint64_t HashBucketCount();
// The largest power of two of buckets that fits in megabytes MB.
uint64_t HashBucketsFor(uint32_t megabytes);
// Gives the table HashBucketsFor(megabytes) buckets, all empty. False,
// keeping the table and its entries as they were, when the memory cannot
// be had. Only while no search runs.
bool ResizeHashTable(uint32_t megabytes);

inline Move EntryMove(const HashEntry* e) { return static_cast<Move>(e->word0 & 0xFFFF); }
inline int EntryDepth(const HashEntry* e) { return e->word2 & DEPTH_BITS; }
inline uint32_t EntryBound(const HashEntry* e) { return e->word2 & BOUND_BITS; }
inline int EntryStamp(const HashEntry* e) { return (e->word2 >> STAMP_SHIFT) & STAMP_MASK; }
inline int EntryScore(const HashEntry* e) { return static_cast<int>(e->word2 >> SCORE_SHIFT) - INFINITE_SCORE; }
// A book entry carries a move and nothing else: its depth, bound and score
// fields are zero, which would read as an exact score of -8190.
inline bool IsBookEntry(const HashEntry* e) { return EntryStamp(e) == 0; }

void ClearHashTable();
// Per mille of the table's entries in use, from a sample spread over both
// halves (book entries count as in use).
int HashFullPermill();
// First matching slot of the current position's bucket, or nullptr.
HashEntry* ProbeHash();
// Starts loading the current position's bucket into the cache, so that a
// probe soon after does not wait for memory.
inline void PrefetchHash(uint64_t key, int side) {
    const uint32_t low = static_cast<uint32_t>(key);
    const char* const bucket = reinterpret_cast<const char*>(
        &hashTable[(low & hashIndexMask) + (static_cast<uint32_t>(side) << hashHalfShift)]);
    // A 36-byte bucket may straddle two cache lines.
    __builtin_prefetch(bucket);
    __builtin_prefetch(bucket + sizeof(HashBucket) - 1);
}
// bound is BOUND_EXACT, BOUND_LOWER or BOUND_UPPER (stored form).
void StoreHash(int depth, uint32_t bound, int score, Move move);
// A book move for the current position, written straight into slot 0 with
// stamp 0: the book must win over whatever the bucket held, which the
// replacement rule of StoreHash would not guarantee.
void StoreBookMove(Move move);
