// Developer program: writes COUNT random legal games as PGN, to build large
// collections of distinct games for timing the PGN converter. The moves are
// in coordinate notation, or with "san" in standard algebraic notation with
// check and mate marks, as PGN writers give them.
//
//   pelmot-randomgames COUNT SEED [san] > games.pgn
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "gamefiles/san.h"
#include "gamefiles/setboard.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"

namespace {

constexpr char START[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr const char* RESULTS[] = {"1-0", "0-1", "1/2-1/2"};
constexpr int MAX_PLIES = 160;

// Undo records of the game being played: longer than the search's ply records.
PlyRecord records[MAX_PLIES + 1];

void WriteGame(int number, std::mt19937_64& random, bool san) {
    // A set-up clears the tables of the search; the start position is only
    // put back.
    static const Position start = pos;
    static HistoryEntry* const startTop = historyTop;
    pos = start;
    historyTop = startTop;
    const int plies = 20 + static_cast<int>(random() % (MAX_PLIES - 19));
    const char* result = RESULTS[random() % 3];
    std::string movetext;
    int lineStart = 0;
    for (int ply = 0;; ++ply) {
        Move legal[MAX_LEGAL_MOVES];
        const int count = GenerateLegalMoves(legal);
        if (count == 0) {
            // The game is over: the result must agree with mate or stalemate.
            ComputeCheckInfo(&records[ply].check);
            result = !records[ply].check.checkers ? "1/2-1/2" : pos.sideToMove == WHITE ? "0-1" : "1-0";
            break;
        }
        if (ply == plies) break;
        const Move move = legal[random() % count];
        char text[24];
        char* end = text;
        if (ply % 2 == 0) end += std::snprintf(text, sizeof text, "%d. ", ply / 2 + 1);
        if (san) {
            *end = '\0';
            movetext += text;
            movetext += MoveToSan(move, legal, count);
        } else {
            MoveToText(end, move);
            movetext += text;
        }
        SaveSnapshot(&records[ply]);
        MakeMove(move, &records[ply]);
        if (san) {
            CheckInfo check;
            ComputeCheckInfo(&check);
            Move replies[256];
            if (check.checkers) movetext += GenerateLegalMoves(replies) ? '+' : '#';
        }
        movetext += ' ';
        if (movetext.size() - lineStart > 70) {
            movetext += '\n';
            lineStart = static_cast<int>(movetext.size());
        }
    }
    std::printf("[Event \"Random game\"]\n[Site \"bench\"]\n[Date \"2026.12.07\"]\n[Round \"%d\"]\n"
                "[White \"Random\"]\n[Black \"Random\"]\n[Result \"%s\"]\n\n%s%s\n\n",
                number, result, movetext.c_str(), result);
}

}  // namespace

int main(int argc, char** argv) {
    const bool san = argc == 4 && std::string(argv[3]) == "san";
    if (argc != 3 && !san) {
        std::fprintf(stderr, "usage: pelmot-randomgames COUNT SEED [san]\n");
        return 1;
    }
    const int count = std::atoi(argv[1]);
    std::mt19937_64 random(std::strtoull(argv[2], nullptr, 10));
    InitTables();
    SetBoard(START, false);
    for (int i = 1; i <= count; ++i) WriteGame(i, random, san);
    return 0;
}
