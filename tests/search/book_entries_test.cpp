// Book entries in the transposition table give the search a move to try
// first and nothing else: their empty depth, bound and score fields would
// read as an exact score of -8190.
#include "gamefiles/book.h"
#include "search/hashtable.h"
#include "search_fixture.h"

namespace {

using BookEntryTest = SearchTest;

// Plays coordinate moves as game moves: made from the root record, which
// the search then starts from.
void Play(std::initializer_list<const char*> moves) {
    for (const char* text : moves) {
        const Move move = TextToMove(text);
        ASSERT_NE(move, MOVE_NONE) << text;
        SaveSnapshot(plyRecords);
        MakeMove(move, plyRecords);
        SaveGameSnapshot();
    }
    currentPly = plyRecords;
}

void SetUpWithBook() {
    ASSERT_TRUE(SetBoard(START_FEN, false));
    ASSERT_TRUE(BookLoad(PELMOT_SHIPPED_BOOK));
}

TEST_F(BookEntryTest, QuiescenceIgnoresTheScoreOfABookEntry) {
    SetUpWithBook();
    Play({"e2e4", "e7e5", "g1f3", "b8c6"});
    const HashEntry* entry = ProbeHash();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(IsBookEntry(entry));
    const int withBook = Quiescence(0, 0, -INFINITE_SCORE, INFINITE_SCORE);

    Setup(START_FEN);
    Play({"e2e4", "e7e5", "g1f3", "b8c6"});
    EXPECT_EQ(withBook, Quiescence(0, 0, -INFINITE_SCORE, INFINITE_SCORE));
    EXPECT_EQ(withBook, 0);
}

TEST_F(BookEntryTest, RootSearchScoresMovesIntoTheBookLikeAnyOther) {
    SetUpWithBook();
    Play({"g1f3", "e7e5"});
    PlyRecord* const root = currentPly;
    root->listEnd = nullptr;
    searchLimits.depth = 2;
    ::testing::internal::CaptureStdout();
    IterativeSearch();
    ::testing::internal::GetCapturedStdout();
    const ScoredMove* const end = root->listEnd;
    for (const ScoredMove* entry = moveStack; entry < end; ++entry)
        EXPECT_GT(entry->score, -MATE_SCORE) << Text(entry->move);

    // The table holds a book entry for the root itself: the driver may take
    // its move but must not read a window from it.
    SetUpWithBook();
    const Move move = SearchQuietly(3);
    EXPECT_FALSE(IsSpecialMove(move));
    EXPECT_GT(moveStack[0].score, -100);
    EXPECT_LT(moveStack[0].score, 100);
}

}  // namespace
