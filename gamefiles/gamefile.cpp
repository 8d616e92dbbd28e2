// GAME records on disk and their PGN form.
#include "gamefiles/gamefile.h"

#include <cstring>
#include <string>

#include "board/movetext.h"
#include "gamefiles/console.h"
#include "gamefiles/input.h"
#include "gamefiles/outfile.h"
#include "gamefiles/progress.h"

namespace {

// Words are little-endian on disk whatever the host order.
void WordsFromBytes(uint16_t* words, const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

}  // namespace

const char* GameHeaderFault(uint16_t header) {
    if ((header >> 14) == 0) return "WRONG RESULT";
    // A count above what a record holds cannot come from a conversion; reading
    // it would run past the record.
    if ((header & GAME_COUNT_MASK) > GAME_MAX_MOVES) return "WRONG MOVE COUNT";
    return nullptr;
}

int GameMoveCount(const GameRecord& game) { return game.moveWords[0] & GAME_COUNT_MASK; }

void SetGameResult(GameRecord& game, uint16_t header) {
    if (const char* fault = GameHeaderFault(header)) throw GameFileError(fault);
    switch (header >> 14) {
    case 1: std::strcpy(game.resultText, "0-1"); game.resultCode = 'B'; break;
    case 2: std::strcpy(game.resultText, "1-0"); game.resultCode = 'W'; break;
    default: std::strcpy(game.resultText, "1/2-1/2"); game.resultCode = 'D'; break;
    }
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

GameFileError FileAccessError(const char* verb, const std::string& kind, const std::string& name,
                              const std::string& reason) {
    const std::string text = std::string("cannot ") + verb + " " + kind + " file '" + name + "'";
    return GameFileError(text, text + ": " + reason);
}

std::string DamagedGameFileWords(const std::string& name, const std::string& code, uint64_t offset) {
    if (offset == 0 && code != "GAME FILE CUT OFF") return "'" + name + "' is not a GAME file";
    const std::string at = " at byte " + std::to_string(offset);
    if (code == "WRONG RESULT") return "'" + name + "' is damaged: the game" + at + " has no result";
    if (code == "WRONG MOVE COUNT") return "'" + name + "' is damaged: the game" + at + " has more moves than a game can";
    return "'" + name + "' is cut off: the game" + at + " is not whole";
}

bool GameReader::Have(size_t size) {
    if (end_ - at_ >= size) return true;
    std::memmove(buffer_.data(), buffer_.data() + at_, end_ - at_);
    end_ -= at_;
    at_ = 0;
    while (end_ < size) {
        const size_t got = input_.Read(buffer_.data() + end_, buffer_.size() - end_);
        if (got == 0) return false;
        end_ += got;
    }
    return true;
}

bool GameReader::Next(GameRecord& game, const std::string& name) {
    last_ = 0;
    if (!Have(2)) {
        cut_ = end_ > at_;
        return false;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer_.data() + at_);
    WordsFromBytes(game.moveWords, bytes, 1);
    try {
        SetGameResult(game, game.moveWords[0]);
    } catch (const GameFileError& error) {
        throw GameFileError(error.what(), DamagedGameFileWords(name, error.what(), offset_));
    }
    const size_t size = static_cast<size_t>(GameRecordSize(game));
    if (!Have(size)) {
        cut_ = true;
        return false;
    }
    WordsFromBytes(game.moveWords + 1, reinterpret_cast<const unsigned char*>(buffer_.data() + at_ + 2),
                   GameMoveCount(game));
    at_ += size;
    last_ = size;
    offset_ += size;
    return true;
}

int GameRecordSize(const GameRecord& game) { return 2 * (GameMoveCount(game) + 1); }

void EncodeGame(const GameRecord& game, unsigned char* bytes) {
    const int words = GameMoveCount(game) + 1;
    for (int i = 0; i < words; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(game.moveWords[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(game.moveWords[i] >> 8);
    }
}

bool WriteGame(const GameRecord& game, std::FILE* stream) {
    unsigned char bytes[2 * (GAME_MAX_MOVES + 1)];
    EncodeGame(game, bytes);
    const size_t size = static_cast<size_t>(GameRecordSize(game));
    return std::fwrite(bytes, 1, size, stream) == size;
}

void WriteGame(const GameRecord& game, OutputFile& out) {
    const int size = GameRecordSize(game);
    char* bytes = out.Reserve(static_cast<size_t>(size));
    EncodeGame(game, reinterpret_cast<unsigned char*>(bytes));
    out.Commit(bytes + size);
    out.EndUnit();
}

bool GamesEqual(const GameRecord& a, const GameRecord& b) {
    if (a.moveWords[0] != b.moveWords[0]) return false;
    return std::memcmp(a.moveWords + 1, b.moveWords + 1, 2 * GameMoveCount(a)) == 0;
}

void WriteResultTag(const GameRecord& game, OutputFile& out) {
    char* p = out.Reserve(32);
    p += std::snprintf(p, 32, "[Result \"%s\"]\n", game.resultText);
    out.Commit(p);
}

void WriteGamePgn(const GameRecord& game, OutputFile& out) {
    WriteResultTag(game, out);
    // Longest line: 512 move numbers of up to 6 characters and 1023 moves of 6.
    char* const line = out.Reserve(16 * (GAME_MAX_MOVES + 1));
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
    for (const char* r = game.resultText; *r; ++r) *p++ = *r;
    *p++ = '\n';
    out.Commit(p);
    out.EndUnit();
}

bool ConvertGameFile(const char* gameName, const char* outName, const char* outKind, const char* createFormat,
                     void (*prepare)(), void (*write)(GameRecord&, OutputFile&, int)) {
    const std::unique_ptr<Input> in = OpenConversionInput(gameName, "GAME", outName);
    if (!in) return false;
    OutputFile out;
    if (!out.Open(outName, "a", outKind, ToolConsole())) {
        SayCannotCreate(createFormat, out);
        return false;
    }
    if (prepare) prepare();
    static GameRecord game;
    std::string failure, words;
    GameReader reader(*in);
    int number = 0;
    try {
        ProgressBegin(gameName, in->FileSize());
        while (reader.Next(game, gameName)) {
            write(game, out, ++number);
            ProgressGame(number, in->FileBytesRead());
        }
        if (!in->Failure().empty()) throw FileAccessError("read", "GAME", gameName, in->Failure());
    } catch (const GameFileError& error) {
        failure = error.what();
        words = error.Words();
    }
    // The games read before a fault are written out.
    FinishOutput(out, failure, words);
    ProgressErase();
    TallyRead(number);
    TallyStored(out.UnitsWritten());
    if (failure.empty()) Say("OK\n");
    else SayFailure("ERROR: " + failure, "ERROR: " + words);
    Say("converted: %lld games.\n", static_cast<long long>(out.UnitsWritten()));
    FlushConsole();
    return failure.empty();
}

bool GameToPgn(const char* gameName, const char* pgnName) {
    return ConvertGameFile(gameName, pgnName, "PGN", "Cannot create PGN output file: '%s'\n", nullptr,
                    [](GameRecord& game, OutputFile& out, int) { WriteGamePgn(game, out); });
}
