// GAME records on disk and their PGN form.
#include "gamefiles/gamefile.h"

#include <cstring>

#include "board/movetext.h"

namespace {

constexpr uint16_t RESULT_MASK = 0xC000;
constexpr uint16_t COUNT_MASK = 0x3FFF;

// Words are little-endian on disk whatever the host order.
void WordsFromBytes(uint16_t* words, const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

}  // namespace

int GameMoveCount(const GameRecord& game) { return game.moveWords[0] & COUNT_MASK; }

void SetGameResult(GameRecord& game, uint16_t header) {
    switch (header >> 14) {
    case 1: std::strcpy(game.resultText, "0-1"); game.resultCode = 'B'; break;
    case 2: std::strcpy(game.resultText, "1-0"); game.resultCode = 'W'; break;
    case 3: std::strcpy(game.resultText, "1/2-1/2"); game.resultCode = 'D'; break;
    default: throw GameFileError("WRONG RESULT");
    }
    // A count above what a record holds cannot come from a conversion; reading
    // it would run past the record.
    if ((header & COUNT_MASK) > GAME_MAX_MOVES) throw GameFileError("WRONG MOVE COUNT");
}

bool ReadGame(GameRecord& game, std::FILE* stream) {
    unsigned char bytes[2 * (GAME_MAX_MOVES + 1)];
    if (std::fread(bytes, 1, 2, stream) != 2) return false;
    WordsFromBytes(game.moveWords, bytes, 1);
    SetGameResult(game, game.moveWords[0]);
    const int n = GameMoveCount(game);
    if (std::fread(bytes, 1, 2 * n, stream) != static_cast<size_t>(2 * n)) return false;
    WordsFromBytes(game.moveWords + 1, bytes, n);
    return true;
}

void WriteGame(const GameRecord& game, std::FILE* stream) {
    unsigned char bytes[2 * (GAME_MAX_MOVES + 1)];
    const int words = GameMoveCount(game) + 1;
    for (int i = 0; i < words; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(game.moveWords[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(game.moveWords[i] >> 8);
    }
    std::fwrite(bytes, 1, 2 * words, stream);
}

bool GamesEqual(const GameRecord& a, const GameRecord& b) {
    if (a.moveWords[0] != b.moveWords[0]) return false;
    return std::memcmp(a.moveWords + 1, b.moveWords + 1, 2 * GameMoveCount(a)) == 0;
}

void WriteResultTag(const GameRecord& game, std::FILE* stream) {
    std::fprintf(stream, "[Result \"%s\"]\n", game.resultText);
}

void WriteGamePgn(const GameRecord& game, std::FILE* stream) {
    WriteResultTag(game, stream);
    // Longest line: 512 move numbers of up to 6 characters and 1023 moves of 6.
    char line[16 * (GAME_MAX_MOVES + 1)];
    char* p = line;
    const int n = GameMoveCount(game);
    for (int i = 1; i <= n; ++i) {
        if (i & 1) {
            const int number = (i + 1) / 2;
            if (number >= 100) *p++ = static_cast<char>('0' + number / 100);
            if (number >= 10) *p++ = static_cast<char>('0' + number / 10 % 10);
            *p++ = static_cast<char>('0' + number % 10);
            *p++ = '.';
            *p++ = ' ';
        }
        p = MoveToText(p, static_cast<Move>(game.moveWords[i]));
        *p++ = ' ';
    }
    std::strcpy(p, game.resultText);
    std::fputs(line, stream);
    std::fputc('\n', stream);
}

void GameToPgn(const char* gameName, const char* pgnName) {
    std::FILE* in = std::fopen(gameName, "rb");
    if (!in) {
        std::printf("Cannot open GAME input file: '%s'\n", gameName);
        return;
    }
    std::FILE* out = std::fopen(pgnName, "a");
    if (!out) {
        std::printf("Cannot create PGN output file: '%s'\n", pgnName);
        std::fclose(in);
        return;
    }
    static GameRecord game;
    int count = 0;
    try {
        while (ReadGame(game, in)) {
            WriteGamePgn(game, out);
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
