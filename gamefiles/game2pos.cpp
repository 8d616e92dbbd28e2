// GAME to position database: one tab-separated line per position in which a
// move was played.
#include "gamefiles/game2pos.h"

#include <algorithm>
#include <string>

#include "board/fen.h"
#include "board/movetext.h"
#include "gamefiles/console.h"
#include "gamefiles/movecheck.h"
#include "gamefiles/outfile.h"
#include "gamefiles/setboard.h"

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
    const int ply = ReplayGame(game, std::min(GameMoveCount(game), maxPly),
                               [&](int i) { WritePositionLine(game, out, i); });
    if (ply) {
        // Nothing of this game stays in the output.
        throw GameFileError("MOVE NOT LEGAL game " + std::to_string(currentGameNumber) + " ply " +
                            std::to_string(ply));
    }
    out.EndUnit();
}

bool GameToPositions(const char* gameName, const char* dbName) {
    return ConvertGameFile(
        gameName, dbName, "DB", "Cannot create DB output file: '%s'\n", [] { SetStartForConversion(!ToolConsole()); },
        [](GameRecord& game, OutputFile& out, int number) {
            currentGameNumber = number;
            WriteGamePositions(game, out, 0);
        });
}
