// GAME to position database: one tab-separated line per position in which a
// move was played.
#include "gamefiles/game2pos.h"

#include <string>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "gamefiles/movecheck.h"
#include "gamefiles/outfile.h"
#include "gamefiles/setboard.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"

namespace {

// Number of the game being replayed, for the error line of a damaged file.
int currentGameNumber = 1;

char* WriteUnsigned(char* p, uint64_t value) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n) *p++ = digits[--n];
    return p;
}

// The decimal text of a signed 64-bit value.
char* WriteSigned(char* p, int64_t value) {
    if (value >= 0) return WriteUnsigned(p, static_cast<uint64_t>(value));
    *p++ = '-';
    return WriteUnsigned(p, 0 - static_cast<uint64_t>(value));
}

// Longest line: ply, result, FEN (at most 82), move, key and the tabs.
constexpr size_t LINE_ROOM = 160;

}  // namespace

void WritePositionLine(GameRecord& game, OutputFile& out, int i) {
    char* const line = out.Reserve(LINE_ROOM);
    char* p = WriteUnsigned(line, static_cast<uint64_t>(i));
    *p++ = '\t';
    *p++ = game.resultCode;
    *p++ = '\t';
    GetFen(p);
    for (; *p; ++p)
        if (*p == ' ') *p = '\t';
    *p++ = '\t';
    MoveToText(game.sanText, static_cast<Move>(game.moveWords[i]));
    for (const char* m = game.sanText; *m; ++m) *p++ = *m;
    *p++ = '\t';
    p = WriteSigned(p, static_cast<int64_t>(pos.hashKey));
    *p++ = '\n';
    out.Commit(p);
}

void WriteGamePositions(GameRecord& game, OutputFile& out, int maxPly) {
    if (maxPly < 1 || maxPly > GAME_MAX_MOVES) maxPly = GAME_MAX_MOVES;
    const int n = GameMoveCount(game);
    // The moves are made forward only; the start position comes back whole.
    const Position start = pos;
    HistoryEntry* const startTop = historyTop;
    PlyRecord record;
    int ply = 0;
    for (int i = 1; i <= n && i <= maxPly; ++i) {
        const Move move = static_cast<Move>(game.moveWords[i]);
        // A file not written by the converter may hold anything; a move the
        // position does not allow would corrupt it.
        CheckInfo info;
        ComputeCheckInfo(&info);
        const Colour side = pos.sideToMove;
        bool legal = IsGeneratedMove(move, info);
        if (legal) {
            WritePositionLine(game, out, i);
            MakeMove(move, &record);
            legal = !KingAttackedAfterMove(move, side);
        }
        if (!legal) {
            ply = i;
            break;
        }
    }
    pos = start;
    historyTop = startTop;
    if (ply) {
        // Nothing of this game stays in the output.
        throw GameFileError("MOVE NOT LEGAL game " + std::to_string(currentGameNumber) + " ply " +
                            std::to_string(ply));
    }
    out.EndUnit();
}

bool GameToPositions(const char* gameName, const char* dbName) {
    return ConvertGameFile(
        gameName, dbName, "DB", "Cannot create DB output file: '%s'\n", [] { SetBoard(START_FEN, false); },
        [](GameRecord& game, OutputFile& out, int number) {
            currentGameNumber = number;
            WriteGamePositions(game, out, 0);
        });
}
