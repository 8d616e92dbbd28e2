#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "gamefiles/book.h"
#include "gamefiles/setboard.h"
#include "movegen/legality.h"
#include "search/hashtable.h"

namespace {

using Line = std::vector<Move>;

constexpr Move Quiet(int from, int to) { return BuildMove(from, to, KIND_QUIET); }

const Move E4 = Quiet(SQ_E2, SQ_E4), E5 = Quiet(SQ_E7, SQ_E5), C5 = Quiet(SQ_C7, SQ_C5);
const Move NF3 = Quiet(SQ_G1, SQ_F3), D4 = Quiet(SQ_D2, SQ_D4), D5 = Quiet(SQ_D7, SQ_D5);

// Book file bytes: the count text line, then each line's length byte and moves.
std::string BookBytes(const std::string& countLine, const std::vector<Line>& lines) {
    std::string bytes = countLine;
    for (const Line& line : lines) {
        bytes += static_cast<char>(line.size());
        for (Move move : line) {
            bytes += static_cast<char>(move & 0xFF);
            bytes += static_cast<char>(move >> 8);
        }
    }
    return bytes;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    return name;
}

int64_t g_heldBack = 0;
int64_t g_offeredCount = 0;
int64_t Held(int64_t count) {
    g_offeredCount = count;
    return g_heldBack;
}

bool Load(const std::string& name, int64_t heldBack) {
    g_heldBack = heldBack;
    return BookLoadChoosing(name.c_str(), Held);
}

// Calls probe in the position reached by playing path from the current one,
// then takes the moves back (history entry included) and returns its result.
template <typename Probe>
auto After(const Line& path, Probe probe) {
    const HistoryEntry base = *historyTop;
    for (Move move : path) {
        SaveSnapshot(currentPly);
        MakeMove(move, currentPly);
        ++currentPly;
    }
    const auto result = probe();
    for (size_t i = path.size(); i-- > 0;) {
        --currentPly;
        UnmakeMove(path[i], currentPly);
    }
    *historyTop = base;
    return result;
}

const HashEntry* BookEntryAfter(const Line& path) {
    return After(path, [] {
        const HashEntry* entry = ProbeHash();
        return entry && EntryStamp(entry) == 0 ? entry : nullptr;
    });
}

bool IsLegalAfter(const Line& path, Move move) {
    return After(path, [move] { return IsLegalMove(move); });
}

Move BookMoveAfter(const Line& path) {
    const HashEntry* entry = BookEntryAfter(path);
    return entry ? EntryMove(entry) : MOVE_NONE;
}

class BookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTables(); }
    void SetUp() override {
        ASSERT_TRUE(SetBoard(START_FEN, false));
        stamp = hashStamp;
        ply = currentPly;
        top = historyTop;
    }
    // Whatever the outcome, the load leaves the start position as it found it.
    void ExpectBoardRestored() {
        EXPECT_EQ(pos.hashKey, StartPositionKey());
        EXPECT_EQ(hashStamp, stamp);
        EXPECT_EQ(currentPly, ply);
        EXPECT_EQ(historyTop, top);
        EXPECT_EQ(historyTop->move, MOVE_NONE);
    }
    uint16_t stamp = 0;
    PlyRecord* ply = nullptr;
    HistoryEntry* top = nullptr;
};

const std::vector<Line> kForkingLines = {{E4, E5, NF3}, {E4, C5, NF3}, {D4, D5}};

TEST_F(BookTest, LaterLineWinsAndEntriesCarryStampZero) {
    const std::string name = WriteFile("book_good.book", BookBytes("3\n", kForkingLines));
    ASSERT_TRUE(Load(name, 2));
    EXPECT_EQ(g_offeredCount, 3);
    ExpectBoardRestored();
    // The held-back 1.d4 line is stored last and owns the start position.
    EXPECT_EQ(BookMoveAfter({}), D4);
    EXPECT_EQ(BookMoveAfter({D4}), D5);
    // At the fork after 1.e4 the later of the two other lines wins.
    EXPECT_EQ(BookMoveAfter({E4}), C5);
    EXPECT_EQ(BookMoveAfter({E4, E5}), NF3);
    EXPECT_EQ(BookMoveAfter({E4, C5}), NF3);
    EXPECT_EQ(BookMoveAfter({E4, C5, NF3}), MOVE_NONE);
    // A book entry is a plain slot 0 record: move, key, and an all-zero word 2.
    const HashEntry* start = BookEntryAfter({});
    ASSERT_NE(start, nullptr);
    const uint32_t low = static_cast<uint32_t>(pos.hashKey);
    const HashBucket& bucket = hashTable[(low & 0x7FFFF) + (1u << 19)];
    EXPECT_EQ(start, &bucket.slot[0]);
    EXPECT_EQ(start->word0, (low & 0xFFFF0000u) | D4);
    EXPECT_EQ(start->word1, static_cast<uint32_t>(pos.hashKey >> 32));
    EXPECT_EQ(start->word2, 0u);
}

TEST_F(BookTest, HeldBackLineWinsWhereverItPasses) {
    const std::string name = WriteFile("book_held.book", BookBytes("3\r\n", kForkingLines));
    ASSERT_TRUE(Load(name, 0));
    EXPECT_EQ(BookMoveAfter({}), E4);
    EXPECT_EQ(BookMoveAfter({E4}), E5);
    EXPECT_EQ(BookMoveAfter({D4}), D5);
    ExpectBoardRestored();
}

TEST_F(BookTest, RandomChoiceStoresEveryLine) {
    const std::string name = WriteFile("book_random.book", BookBytes("3 lines of opening theory\n", kForkingLines));
    ASSERT_TRUE(BookLoad(name.c_str()));
    const Move first = BookMoveAfter({});
    EXPECT_TRUE(first == E4 || first == D4);
    EXPECT_EQ(BookMoveAfter({D4}), D5);
    EXPECT_EQ(BookMoveAfter({E4, E5}), NF3);
    ExpectBoardRestored();
}

TEST_F(BookTest, FileEndingEarlyFailsButKeepsWhatWasStored) {
    std::string bytes = BookBytes("3\n", kForkingLines);
    bytes.pop_back();  // the last move loses its high byte
    const std::string name = WriteFile("book_truncated.book", bytes);
    EXPECT_FALSE(Load(name, 0));
    EXPECT_EQ(BookMoveAfter({}), E4);
    EXPECT_EQ(BookMoveAfter({E4}), E5);
    EXPECT_EQ(BookMoveAfter({D4}), MOVE_NONE);
    ExpectBoardRestored();

    // When the cut falls in the held-back line it is missing altogether.
    ASSERT_TRUE(SetBoard(START_FEN, false));
    EXPECT_FALSE(Load(name, 2));
    EXPECT_EQ(BookMoveAfter({E4}), C5);
    ExpectBoardRestored();

    // A file that stops right after a line's length byte fails the same way.
    ASSERT_TRUE(SetBoard(START_FEN, false));
    const std::string cut = WriteFile("book_cut.book", BookBytes("3\n", {{E4, E5}, {D4, D5}}) + '\x02');
    EXPECT_FALSE(Load(cut, 0));
    EXPECT_EQ(BookMoveAfter({}), E4);
    ExpectBoardRestored();
}

TEST_F(BookTest, UnreadableOrEmptyCountFails) {
    for (const char* countLine : {"three\n", "\n", "99999999999999999999999\n", ""}) {
        SCOPED_TRACE(countLine);
        ASSERT_TRUE(SetBoard(START_FEN, false));
        const std::string name = WriteFile("book_count.book", BookBytes(countLine, kForkingLines));
        EXPECT_FALSE(Load(name, 0));
        EXPECT_EQ(BookMoveAfter({}), MOVE_NONE);
        ExpectBoardRestored();
    }
    // A count of zero leaves nothing to hold back.
    ASSERT_TRUE(SetBoard(START_FEN, false));
    EXPECT_FALSE(Load(WriteFile("book_zero.book", BookBytes("0\n", {})), 0));
    ExpectBoardRestored();
}

TEST_F(BookTest, LineLongerThanTheBufferFails) {
    Line shuffle;
    for (int i = 0; i < 17; ++i) {
        shuffle.insert(shuffle.end(), {NF3, Quiet(SQ_G8, SQ_F6), Quiet(SQ_F3, SQ_G1), Quiet(SQ_F6, SQ_G8)});
    }
    ASSERT_EQ(shuffle.size(), 68u);
    for (size_t length : {size_t(65), size_t(68)}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(SetBoard(START_FEN, false));
        const Line longLine(shuffle.begin(), shuffle.begin() + static_cast<long>(length));
        const std::string name = WriteFile("book_long.book", BookBytes("3\n", {{E4, E5}, longLine, {D4, D5}}));
        EXPECT_FALSE(Load(name, 2));
        EXPECT_EQ(BookMoveAfter({}), E4);
        EXPECT_EQ(BookMoveAfter({D4}), MOVE_NONE);
        ExpectBoardRestored();
    }
    // Exactly 64 moves still fit.
    ASSERT_TRUE(SetBoard(START_FEN, false));
    const Line full(shuffle.begin(), shuffle.begin() + 64);
    EXPECT_TRUE(Load(WriteFile("book_full.book", BookBytes("2\n", {full, {D4, D5}})), 1));
    EXPECT_EQ(BookMoveAfter({NF3}), Quiet(SQ_G8, SQ_F6));
    ExpectBoardRestored();
}

TEST_F(BookTest, IllegalMoveStopsTheLoadAndLeavesEarlierLines) {
    const Line illegal = {D4, D5, Quiet(SQ_E1, SQ_E3)};
    const std::string name = WriteFile("book_illegal.book", BookBytes("3\n", {{E4, E5}, illegal, {NF3, D5}}));
    EXPECT_FALSE(Load(name, 2));
    EXPECT_EQ(BookMoveAfter({}), E4);
    EXPECT_EQ(BookMoveAfter({E4}), E5);
    // Nothing of the faulty line is stored.
    EXPECT_EQ(BookMoveAfter({D4}), MOVE_NONE);
    ExpectBoardRestored();

    // A move that would leave the king in check is not a book move either.
    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/4r3/4K3 w - -", false));
    const Move intoCheck = Quiet(SQ_E1, SQ_F2);
    EXPECT_FALSE(BookAddLine(&intoCheck, 1));
}

TEST_F(BookTest, LineCountMustMatch) {
    // More lines than announced: everything is stored, yet the load fails.
    EXPECT_FALSE(Load(WriteFile("book_more.book", BookBytes("2\n", kForkingLines)), 0));
    EXPECT_EQ(BookMoveAfter({}), E4);
    EXPECT_EQ(BookMoveAfter({D4}), D5);
    ExpectBoardRestored();
    // Fewer lines than announced.
    ASSERT_TRUE(SetBoard(START_FEN, false));
    EXPECT_FALSE(Load(WriteFile("book_fewer.book", BookBytes("4\n", kForkingLines)), 0));
    EXPECT_EQ(BookMoveAfter({E4}), E5);
    ExpectBoardRestored();
    // An empty line counts as a line but cannot be the held-back one.
    ASSERT_TRUE(SetBoard(START_FEN, false));
    const std::string empty = WriteFile("book_empty.book", BookBytes("2\n", {{}, {E4, E5}}));
    EXPECT_TRUE(Load(empty, 1));
    ASSERT_TRUE(SetBoard(START_FEN, false));
    EXPECT_FALSE(Load(empty, 0));
    ExpectBoardRestored();
}

TEST_F(BookTest, OnlyTheStartPositionLoadsAnExistingFile) {
    EXPECT_FALSE(Load("book_no_such_file.book", 0));
    ASSERT_TRUE(SetBoard("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", false));
    EXPECT_FALSE(Load(WriteFile("book_other.book", BookBytes("3\n", kForkingLines)), 0));
    EXPECT_EQ(ProbeHash(), nullptr);
}

TEST_F(BookTest, AddLineStoresNothingWhenAMoveIsIllegal) {
    const Line line = {E4, E5, Quiet(SQ_E4, SQ_E5)};
    EXPECT_FALSE(BookAddLine(line.data(), 3));
    EXPECT_EQ(BookMoveAfter({}), MOVE_NONE);
    EXPECT_EQ(BookMoveAfter({E4}), MOVE_NONE);
    EXPECT_FALSE(BookAddLine(line.data(), BOOK_MAX_LINE + 1));
    ExpectBoardRestored();
}

#ifdef PELMOT_SHIPPED_BOOK
// The book built from book/lines.txt loads, and following it from the start
// position plays a legal opening of some length.
TEST_F(BookTest, ShippedBookLoads) {
    ASSERT_TRUE(BookLoad(PELMOT_SHIPPED_BOOK));
    ExpectBoardRestored();
    Line played;
    for (Move move; (move = BookMoveAfter(played)) != MOVE_NONE && played.size() < 40;) {
        ASSERT_TRUE(IsLegalAfter(played, move)) << "ply " << played.size() + 1;
        played.push_back(move);
    }
    EXPECT_GE(played.size(), 8u);
    ExpectBoardRestored();
}
#endif

}  // namespace
