// Golden lists: for positions from random legal games, the three generators'
// lists (moves and ordering scores, in order), the exchange value of every
// capture, the static evaluation and the legal-move count, compared with a
// file made once. A change meant to be invisible must leave every line as
// it was; a change meant to alter them regenerates the file and says why:
//
//   pelmot_tests --gtest_also_run_disabled_tests --gtest_filter='Golden.DISABLED_Regenerate'
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "eval/evaluate.h"
#include "movegen/movelist.h"
#include "position_support.h"

using namespace movetest;

namespace {

const std::string GOLDEN_FILE = std::string(PELMOT_TEST_DATA) + "/golden/positions.txt";
constexpr int GOLDEN_POSITIONS = 2000;
constexpr unsigned GOLDEN_SEED = 20261207;
constexpr int GAME_PLIES = 300;

std::string Entries(const ScoredMove* begin, const ScoredMove* end) {
    std::string out;
    char buffer[24];
    for (; begin != end; ++begin) {
        std::snprintf(buffer, sizeof buffer, " %04x:%d", begin->move, begin->score);
        out += buffer;
    }
    return out;
}

// One line: FEN | evaluation legal-count | full list | captures | evasions | exchange values.
std::string Describe() {
    char fen[96];
    GetFen(fen);
    std::ostringstream line;
    Move legal[256];
    line << fen << " | " << Evaluate() << ' ' << GenerateLegalMoves(legal) << " |";

    const Colour side = pos.sideToMove;
    ScoredMove* end = GenerateMoves[side](moveStack);
    line << Entries(moveStack, end) << " |";
    const std::vector<ScoredMove> full(moveStack, end);
    end = GenerateCaptures[side](moveStack);
    line << Entries(moveStack, end) << " |";
    CheckInfo info;
    ComputeCheckInfo(&info);
    if (info.checkers) {
        end = GenerateEvasions[side](moveStack, &info);
        line << Entries(moveStack, end);
    }
    line << " |";

    const Bitboard rookSliders = pos.pieceBB[W_ROOK] | pos.pieceBB[B_ROOK] | pos.pieceBB[W_QUEEN] | pos.pieceBB[B_QUEEN];
    const Bitboard diagonalSliders =
        pos.pieceBB[W_BISHOP] | pos.pieceBB[B_BISHOP] | pos.pieceBB[W_QUEEN] | pos.pieceBB[B_QUEEN];
    for (const ScoredMove& entry : full) {
        const Square from = FromOf(entry.move), to = ToOf(entry.move);
        if (pos.board[to] == EMPTY) continue;
        line << ' ' << std::hex << entry.move << std::dec << ':'
             << StaticExchange(pos.board[from], from, to, rookSliders, diagonalSliders);
    }
    return line.str();
}

std::string FenOf(const std::string& line) { return line.substr(0, line.find(" |")); }

// Positions of random legal games, each kept when it has something the
// generators treat specially (check, en passant, castling, promotion) and
// every ninth ply otherwise.
std::vector<std::string> RandomPositions() {
    std::mt19937 random(GOLDEN_SEED);
    std::vector<std::string> fens;
    std::vector<PlyRecord> records(GAME_PLIES);
    while (static_cast<int>(fens.size()) < GOLDEN_POSITIONS) {
        SetFen(START_FEN);
        for (int ply = 0; ply < GAME_PLIES && static_cast<int>(fens.size()) < GOLDEN_POSITIONS; ++ply) {
            Move legal[256];
            const int count = GenerateLegalMoves(legal);
            if (count == 0 || pos.totalMaterial < 4) break;
            CheckInfo info;
            ComputeCheckInfo(&info);
            bool special = info.checkers != 0;
            // En passant, promotions and castling are the kinds other than 0, 1 and 3.
            for (int i = 0; i < count; ++i) special = special || KindOfMove(legal[i]) == KIND_EN_PASSANT ||
                                                                KindOfMove(legal[i]) >= KIND_PROMO_QUEEN;
            if (special || ply % 9 == 4) {
                char fen[96];
                GetFen(fen);
                fens.push_back(fen);
            }
            SaveSnapshot(&records[ply]);
            MakeMove(legal[random() % count], &records[ply]);
        }
    }
    return fens;
}

std::vector<std::string> GoldenLines() {
    std::ifstream file(GOLDEN_FILE);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

TEST(Golden, GeneratorsExchangeValuesAndEvaluationAreUnchanged) {
    const std::vector<std::string> lines = GoldenLines();
    ASSERT_EQ(static_cast<int>(lines.size()), GOLDEN_POSITIONS) << "cannot read " << GOLDEN_FILE;
    int inCheck = 0, enPassant = 0, castling = 0, promotion = 0, differing = 0;
    for (const std::string& expected : lines) {
        SetFen(FenOf(expected).c_str());
        ClearPawnHashTable();
        const std::string actual = Describe();
        if (actual != expected && ++differing <= 5) ADD_FAILURE() << "expected " << expected << "\nactual   " << actual;
        Move legal[256];
        const int count = GenerateLegalMoves(legal);
        CheckInfo info;
        ComputeCheckInfo(&info);
        inCheck += info.checkers != 0;
        for (int i = 0; i < count; ++i) {
            const int kind = KindOfMove(legal[i]);
            enPassant += kind == KIND_EN_PASSANT;
            castling += kind >= KIND_CASTLE_BLACK_SHORT;
            promotion += IsPromotion(legal[i]);
        }
    }
    EXPECT_EQ(differing, 0);
    // The sample must exercise every special case of the generators.
    EXPECT_GE(inCheck, 100);
    EXPECT_GE(enPassant, 10);
    EXPECT_GE(castling, 50);
    EXPECT_GE(promotion, 50);
}

TEST(Golden, DISABLED_Regenerate) {
    const std::vector<std::string> fens = RandomPositions();
    std::ofstream file(GOLDEN_FILE, std::ios::trunc);
    for (const std::string& fen : fens) {
        SetFen(fen.c_str());
        ClearPawnHashTable();
        file << Describe() << '\n';
    }
    ASSERT_TRUE(file.good()) << GOLDEN_FILE;
}

}  // namespace
