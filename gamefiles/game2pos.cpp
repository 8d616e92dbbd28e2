// GAME to position database: one tab-separated line per position in which a
// move was played.
#include "gamefiles/game2pos.h"

#include <cinttypes>
#include <string>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "gamefiles/setboard.h"
#include "movegen/legality.h"

namespace {

// Undo records of the game being replayed; a game is longer than the
// search's ply records.
PlyRecord replayRecords[GAME_MAX_MOVES + 1];

// Number of the game being replayed, for the error line of a damaged file.
int currentGameNumber = 1;

}  // namespace

void WritePositionLine(GameRecord& game, std::FILE* stream, int i) {
    char fen[256];
    GetFen(fen);
    for (char* p = fen; *p; ++p)
        if (*p == ' ') *p = '\t';
    MoveToText(game.sanText, static_cast<Move>(game.moveWords[i]));
    std::fprintf(stream, "%d\t%c\t%s\t%s\t%" PRId64 "\n", i, game.resultCode, fen, game.sanText,
                 static_cast<int64_t>(pos.hashKey));
}

void WriteGamePositions(GameRecord& game, std::FILE* stream, int maxPly) {
    if (maxPly < 1 || maxPly > GAME_MAX_MOVES) maxPly = GAME_MAX_MOVES;
    const int n = GameMoveCount(game);
    int made = 0;
    const char* fault = nullptr;
    for (int i = 1; i <= n && i <= maxPly; ++i) {
        const Move move = static_cast<Move>(game.moveWords[i]);
        // A file not written by the converter may hold anything; a move the
        // position does not allow would corrupt it.
        if (!IsLegalMove(move)) {
            fault = "MOVE NOT LEGAL";
            break;
        }
        WritePositionLine(game, stream, i);
        SaveSnapshot(&replayRecords[i]);
        MakeMove(move, &replayRecords[i]);
        made = i;
    }
    for (int i = made; i > 0; --i) UnmakeMove(static_cast<Move>(game.moveWords[i]), &replayRecords[i]);
    if (fault)
        throw GameFileError(std::string(fault) + " game " + std::to_string(currentGameNumber) + " ply " +
                            std::to_string(made + 1));
}

void GameToPositions(const char* gameName, const char* dbName) {
    std::FILE* in = std::fopen(gameName, "rb");
    if (!in) {
        std::printf("Cannot open GAME input file: '%s'\n", gameName);
        return;
    }
    std::FILE* out = std::fopen(dbName, "a");
    if (!out) {
        std::printf("Cannot create DB output file: '%s'\n", dbName);
        std::fclose(in);
        return;
    }
    SetBoard(START_FEN, false);
    static GameRecord game;
    int count = 0;
    try {
        while (ReadGame(game, in)) {
            currentGameNumber = count + 1;
            WriteGamePositions(game, out, 0);
            ++count;
        }
        std::printf("OK\n");
    } catch (const GameFileError& error) {
        std::printf("ERROR: %s\n", error.what());
    }
    std::printf("converted: %d games.\n", count);
    std::fclose(out);
    std::fclose(in);
}
