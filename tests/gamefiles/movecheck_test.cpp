#include <random>
#include <set>

#include "board/makemove.h"
#include "gamefiles/movecheck.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"
#include "tests/gamefiles/gamefiles_helpers.h"

namespace {

using namespace gamefiles_test;

// Every move word with a from-square of the side to move (and two empty
// ones) is asked about, and the answers are compared with the generated list.
void ExpectSameAsGenerator(const std::string& where) {
    CheckInfo info;
    ComputeCheckInfo(&info);
    ScoredMove list[256];
    const ScoredMove* end = GenerateNodeMoves(list, &info);
    std::set<int> listed;
    for (const ScoredMove* entry = list; entry < end; ++entry) listed.insert(entry->move);
    int empties = 0;
    for (int from = 0; from < 64; ++from) {
        const int piece = pos.board[from];
        if (piece == EMPTY ? ++empties > 2 : SideOf(piece) != pos.sideToMove) continue;
        for (int to = 0; to < 64; ++to)
            for (int kind = 0; kind < 16; ++kind) {
                const Move move = BuildMove(from, to, kind);
                const bool expected = listed.count(move) > 0;
                ASSERT_EQ(IsGeneratedMove(move, info), expected) << where << " move " << std::hex << move;
                if (!info.checkers) {
                    ASSERT_EQ(InFullMoveList(move), expected) << where << " move " << std::hex << move;
                }
            }
    }
    // The fixed castling words whatever their squares.
    for (Move move : {MOVE_CASTLE_WHITE_SHORT, MOVE_CASTLE_WHITE_LONG, MOVE_CASTLE_BLACK_SHORT, MOVE_CASTLE_BLACK_LONG})
        ASSERT_EQ(IsGeneratedMove(move, info), listed.count(move) > 0) << where;
}

class MoveCheck : public ::testing::Test {
protected:
    void SetUp() override { PrepareEngine(); }
};

TEST_F(MoveCheck, AnswersAsTheGeneratorsListInSetUpPositions) {
    for (const char* fen : {
             START_FEN,
             // En passant on either side, and a set-up square with no pawn behind it.
             "4k3/8/8/2PpP3/8/8/8/4K3 w - d6", "4k3/8/8/8/2pPp3/8/8/4K3 b - d3", "4k3/8/8/8/8/8/8/4K3 w - d6",
             // Promotions by push and by capture, a blocked push, a king as the only target.
             "1n1qk1r1/2P1P1P1/8/8/8/8/1p3p2/R1N1K1Q1 w - -", "1n1qk1r1/2P3P1/8/8/8/8/1p4p1/R1N1K1Q1 b - -",
             "2k5/2P5/8/8/8/8/8/4K3 w - -",
             // Castling with the path clear, blocked, through check, and rights without the rook.
             "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "rn2k1nr/8/8/8/8/8/8/RN2K1NR w KQkq -",
             "r3k2r/8/8/8/8/5q2/8/R3K2R w KQkq -", "4k3/8/8/8/8/8/8/4K3 w KQ -",
             // Kings side by side at a distance of two, pinned pieces, a double check.
             "8/8/8/3k4/8/3K4/8/8 w - -", "4k3/4r3/8/8/8/4B3/4K3/8 w - -", "4k3/8/8/8/1b6/8/3N4/r3K3 w - -",
             "4k3/8/8/8/8/5n2/8/4K2r w - -"}) {
        ASSERT_TRUE(SetBoard(fen, false)) << fen;
        ExpectSameAsGenerator(fen);
    }
}

TEST_F(MoveCheck, AnswersAsTheGeneratorsListAlongRandomGames) {
    std::mt19937 random(11);
    PlyRecord records[200];
    for (int game = 0; game < 12; ++game) {
        SetBoard(START_FEN, false);
        int made = 0;
        Move moves[200];
        for (; made < 160; ++made) {
            ExpectSameAsGenerator("game " + std::to_string(game) + " ply " + std::to_string(made + 1));
            if (HasFatalFailure()) return;
            Move legal[256];
            const int count = GenerateLegalMoves(legal);
            if (count == 0) break;
            moves[made] = legal[random() % count];
            SaveSnapshot(&records[made]);
            MakeMove(moves[made], &records[made]);
        }
        while (made > 0) {
            --made;
            UnmakeMove(moves[made], &records[made]);
        }
    }
}

}  // namespace
