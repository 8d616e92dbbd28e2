#include <gtest/gtest.h>

#include "board/position.h"
#include "search/hashtable.h"

namespace {

// Keys that share a bucket: equal in bits 0..18 of the low half.
constexpr uint64_t KEY_A = 0x1234567800012345ull;
constexpr uint64_t KEY_B = 0x2234567800012345ull;   // other high half
constexpr uint64_t KEY_C = 0x1234567800112345ull;   // low bit 20 differs
constexpr uint64_t KEY_D = 0x4234567800012345ull;
constexpr Move MOVE_1 = BuildMove(SQ_E2, SQ_E4, KIND_QUIET);
constexpr Move MOVE_2 = BuildMove(SQ_G1, SQ_F3, KIND_QUIET);
constexpr Move MOVE_3 = BuildMove(SQ_D2, SQ_D4, KIND_QUIET);

class HashTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearHashTable();
        hashStamp = 1;
        Select(KEY_A, WHITE);
    }
    void TearDown() override {
        hashStamp = 1;
        ClearHashTable();
    }
    static void Select(uint64_t key, Colour side) {
        pos.hashKey = key;
        pos.sideToMove = side;
    }
    static HashBucket& Bucket() {
        return hashTable[(static_cast<uint32_t>(pos.hashKey) & 0x7FFFF) + (pos.sideToMove << 19)];
    }
    static void Store(uint64_t key, int depth, uint32_t bound, int score, Move move) {
        Select(key, WHITE);
        StoreHash(depth, bound, score, move);
    }
};

TEST_F(HashTableTest, FieldsReadBackAsStoredUntilCleared) {
    StoreHash(9, BOUND_LOWER, -123, MOVE_1);
    const HashEntry* e = ProbeHash();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(EntryMove(e), MOVE_1);
    EXPECT_EQ(EntryDepth(e), 9);
    EXPECT_EQ(EntryBound(e), BOUND_LOWER);
    EXPECT_EQ(EntryStamp(e), 1);
    EXPECT_EQ(EntryScore(e), -123);
    EXPECT_EQ(e, &Bucket().slot[0]);

    StoreHash(10, BOUND_EXACT, -8190, MOVE_1);
    EXPECT_EQ(ProbeHash()->word2 >> 18, 0u);
    EXPECT_EQ(EntryScore(ProbeHash()), -8190);
    StoreHash(11, BOUND_EXACT, 8190, MOVE_1);
    EXPECT_EQ(EntryScore(ProbeHash()), 8190);
    StoreHash(12, BOUND_EXACT, 1 - MATE_SCORE, MOVE_MATE);
    EXPECT_EQ(EntryScore(ProbeHash()), 1 - MATE_SCORE);
    EXPECT_EQ(EntryMove(ProbeHash()), MOVE_MATE);
    ClearHashTable();
    EXPECT_EQ(ProbeHash(), nullptr);
}

TEST_F(HashTableTest, DepthAboveTheFieldSaturatesWithoutTouchingTheBound) {
    StoreHash(200, BOUND_EXACT, 50, MOVE_1);
    const HashEntry* e = ProbeHash();
    EXPECT_EQ(EntryDepth(e), 127);
    EXPECT_EQ(EntryBound(e), BOUND_EXACT);
    EXPECT_EQ(EntryStamp(e), 1);
    EXPECT_EQ(EntryScore(e), 50);
}

TEST_F(HashTableTest, SamePositionInSlotZero) {
    StoreHash(5, BOUND_EXACT, 10, MOVE_1);
    StoreHash(5, BOUND_UPPER, 20, MOVE_2);       // worse bound, same depth
    EXPECT_EQ(EntryScore(ProbeHash()), 10);
    StoreHash(4, BOUND_EXACT, 30, MOVE_2);       // shallower
    EXPECT_EQ(EntryScore(ProbeHash()), 10);
    StoreHash(5, BOUND_EXACT, 40, MOVE_2);       // equal bound, same depth
    EXPECT_EQ(EntryScore(ProbeHash()), 10);
    EXPECT_EQ(Bucket().slot[1].word1, 0u);       // nothing was demoted

    ClearHashTable();
    StoreHash(5, BOUND_UPPER, 10, MOVE_1);
    StoreHash(5, BOUND_EXACT, 20, MOVE_2);       // better bound overwrites
    EXPECT_EQ(EntryScore(ProbeHash()), 20);
    EXPECT_EQ(EntryMove(ProbeHash()), MOVE_2);
    StoreHash(6, BOUND_UPPER, 30, MOVE_3);       // deeper overwrites in place
    EXPECT_EQ(EntryScore(&Bucket().slot[0]), 30);
    EXPECT_EQ(Bucket().slot[1].word1, 0u);
}

TEST_F(HashTableTest, ShallowerOtherPositionIsDemotedToSlotOne) {
    Store(KEY_A, 3, BOUND_EXACT, 1, MOVE_1);
    Store(KEY_B, 4, BOUND_EXACT, 2, MOVE_2);     // A -> slot 1
    Store(KEY_C, 5, BOUND_EXACT, 3, MOVE_3);     // B -> slot 1, A lost
    HashBucket& b = Bucket();
    EXPECT_EQ(EntryScore(&b.slot[0]), 3);
    EXPECT_EQ(EntryScore(&b.slot[1]), 2);
    EXPECT_EQ(b.slot[2].word1, 0u);
    Select(KEY_A, WHITE);
    EXPECT_EQ(ProbeHash(), nullptr);
    Select(KEY_B, WHITE);
    EXPECT_EQ(ProbeHash(), &b.slot[1]);
}

TEST_F(HashTableTest, DeeperEntriesPushStoresDownTheBucket) {
    Store(KEY_A, 8, BOUND_EXACT, 1, MOVE_1);
    Store(KEY_B, 7, BOUND_EXACT, 2, MOVE_2);     // slot 0 deeper: slot 1
    HashBucket& b = Bucket();
    EXPECT_EQ(EntryScore(&b.slot[0]), 1);
    EXPECT_EQ(EntryScore(&b.slot[1]), 2);
    Store(KEY_C, 6, BOUND_EXACT, 3, MOVE_3);     // both deeper: slot 2
    EXPECT_EQ(EntryScore(&b.slot[2]), 3);
    Store(KEY_D, 2, BOUND_EXACT, 4, MOVE_1);     // slot 2 replaced whatever it holds
    EXPECT_EQ(EntryScore(&b.slot[2]), 4);
    EXPECT_EQ(EntryScore(&b.slot[0]), 1);
    EXPECT_EQ(EntryScore(&b.slot[1]), 2);
}

TEST_F(HashTableTest, EqualDepthGoesToTheBetterBound) {
    Store(KEY_A, 5, BOUND_UPPER, 1, MOVE_1);
    Store(KEY_B, 5, BOUND_EXACT, 2, MOVE_2);     // better bound takes slot 0
    HashBucket& b = Bucket();
    EXPECT_EQ(EntryScore(&b.slot[0]), 2);
    EXPECT_EQ(EntryScore(&b.slot[1]), 1);
    Store(KEY_C, 5, BOUND_LOWER, 3, MOVE_3);     // worse than exact, better than upper
    EXPECT_EQ(EntryScore(&b.slot[0]), 2);
    EXPECT_EQ(EntryScore(&b.slot[1]), 3);
}

// The book loader writes its entries straight into slot 0 with word 2 zero.
void PutBookEntry(uint64_t key, Move move) {
    pos.hashKey = key;
    pos.sideToMove = WHITE;
    HashEntry& e = hashTable[(static_cast<uint32_t>(key) & 0x7FFFF) + (WHITE << 19)].slot[0];
    e = {(static_cast<uint32_t>(key) & 0xFFFF0000u) | move, static_cast<uint32_t>(key >> 32), 0};
}

TEST_F(HashTableTest, BookEntriesAreAlwaysDisplaced) {
    PutBookEntry(KEY_A, MOVE_1);
    EXPECT_EQ(EntryStamp(ProbeHash()), 0);
    Store(KEY_B, 0, BOUND_UPPER, 7, MOVE_2);     // v = 0 + 1 - 0 - 0 = 1
    HashBucket& b = Bucket();
    EXPECT_EQ(EntryScore(&b.slot[0]), 7);
    EXPECT_EQ(EntryMove(&b.slot[1]), MOVE_1);
    EXPECT_EQ(EntryStamp(&b.slot[1]), 0);
    Select(KEY_A, WHITE);
    EXPECT_EQ(ProbeHash(), &b.slot[1]);           // still found as a book move

    // A book position met by the search is overwritten in place once the
    // search brings better information than the book's depth 0, exact.
    const uint64_t bookKey = KEY_A ^ 1;
    PutBookEntry(bookKey, MOVE_3);
    Store(bookKey, 0, BOUND_UPPER, 9, MOVE_1);
    EXPECT_EQ(EntryStamp(ProbeHash()), 0);
    Store(bookKey, 1, BOUND_UPPER, 9, MOVE_1);
    EXPECT_EQ(EntryStamp(ProbeHash()), 1);
    EXPECT_EQ(ProbeHash(), &Bucket().slot[0]);
}

TEST_F(HashTableTest, SidesToMoveUseSeparateHalves) {
    Select(KEY_A, WHITE);
    StoreHash(5, BOUND_EXACT, 11, MOVE_1);
    HashEntry* white = ProbeHash();
    Select(KEY_A, BLACK);
    EXPECT_EQ(ProbeHash(), nullptr);
    StoreHash(5, BOUND_EXACT, -11, MOVE_2);
    HashEntry* black = ProbeHash();
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(black - white, -static_cast<int64_t>(DEFAULT_HASH_BUCKETS / 2) * 3);
    EXPECT_EQ(EntryScore(black), -11);
    Select(KEY_A, WHITE);
    EXPECT_EQ(EntryScore(ProbeHash()), 11);
}

TEST_F(HashTableTest, ProbeNeedsTheWholeKey) {
    Store(KEY_A, 5, BOUND_EXACT, 1, MOVE_1);
    Select(KEY_B, WHITE);
    EXPECT_EQ(ProbeHash(), nullptr);
    Select(KEY_C, WHITE);
    EXPECT_EQ(ProbeHash(), nullptr);
    Select(KEY_A ^ (1ull << 16), WHITE);         // other bucket
    EXPECT_EQ(ProbeHash(), nullptr);
}

TEST_F(HashTableTest, ProbeTakesTheFirstMatchingSlot) {
    Store(KEY_A, 2, BOUND_EXACT, 1, MOVE_1);
    Store(KEY_B, 9, BOUND_EXACT, 2, MOVE_2);     // A demoted to slot 1
    Store(KEY_A, 1, BOUND_EXACT, 3, MOVE_3);     // slots 0, 1 win: A again in slot 2
    Select(KEY_A, WHITE);
    EXPECT_EQ(ProbeHash(), &Bucket().slot[1]);
    EXPECT_EQ(EntryScore(ProbeHash()), 1);
}

}  // namespace

namespace {

// The size in megabytes gives the largest power of two of buckets that fits;
// a resized table starts empty and keeps both halves apart.
TEST_F(HashTableTest, ResizesToAPowerOfTwoOfBuckets) {
    EXPECT_EQ(HashBucketsFor(DEFAULT_HASH_MB), DEFAULT_HASH_BUCKETS);
    EXPECT_EQ(HashBucketsFor(DEFAULT_HASH_MB - 1), DEFAULT_HASH_BUCKETS / 2);
    EXPECT_EQ(HashBucketsFor(MIN_HASH_MB), uint64_t{1} << 14);
    EXPECT_EQ(HashBucketsFor(4096), uint64_t{1} << 26);
    EXPECT_EQ(HashBucketsFor(MAX_HASH_MB), uint64_t{1} << 29);

    Store(KEY_A, 5, BOUND_EXACT, 1, MOVE_1);
    ASSERT_TRUE(ResizeHashTable(MIN_HASH_MB));
    EXPECT_EQ(HashBucketCount(), uint64_t{1} << 14);
    Select(KEY_A, WHITE);
    EXPECT_EQ(ProbeHash(), nullptr);
    StoreHash(5, BOUND_EXACT, 11, MOVE_1);
    Select(KEY_A, BLACK);
    EXPECT_EQ(ProbeHash(), nullptr);
    StoreHash(5, BOUND_EXACT, -11, MOVE_2);
    EXPECT_EQ(EntryScore(ProbeHash()), -11);
    Select(KEY_A, WHITE);
    EXPECT_EQ(EntryScore(ProbeHash()), 11);
    Select(KEY_A ^ (1ull << 16), WHITE);
    EXPECT_EQ(ProbeHash(), nullptr);

    ASSERT_TRUE(ResizeHashTable(DEFAULT_HASH_MB));
    EXPECT_EQ(HashBucketCount(), DEFAULT_HASH_BUCKETS);
    Select(KEY_A, WHITE);
    EXPECT_EQ(ProbeHash(), nullptr);
}

}  // namespace
