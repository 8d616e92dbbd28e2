// The transposition table: 2^20 buckets of three 12-byte entries, split by
// side to move. It also carries the opening book (entries with stamp 0).
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

constexpr uint32_t BOUND_EXACT = 0;
constexpr uint32_t BOUND_LOWER = 0x80;
constexpr uint32_t BOUND_UPPER = 0x100;
constexpr int HASH_BUCKETS = 1 << 20;

extern HashBucket hashTable[HASH_BUCKETS];
extern uint16_t hashStamp;

inline Move EntryMove(const HashEntry* e) { return static_cast<Move>(e->word0 & 0xFFFF); }
inline int EntryDepth(const HashEntry* e) { return e->word2 & 0x7F; }
inline uint32_t EntryBound(const HashEntry* e) { return e->word2 & 0x180; }
inline int EntryStamp(const HashEntry* e) { return (e->word2 >> 9) & 0x1FF; }
inline int EntryScore(const HashEntry* e) { return static_cast<int>(e->word2 >> 18) - 8190; }
// A book entry carries a move and nothing else: its depth, bound and score
// fields are zero, which would read as an exact score of -8190.
inline bool IsBookEntry(const HashEntry* e) { return EntryStamp(e) == 0; }

void ClearHashTable();
// First matching slot of the current position's bucket, or nullptr.
HashEntry* ProbeHash();
// bound is BOUND_EXACT, BOUND_LOWER or BOUND_UPPER (stored form).
void StoreHash(int depth, uint32_t bound, int score, Move move);
