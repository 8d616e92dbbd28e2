// PGN to GAME conversion: every move is read, validated against the moves
// generated for its position, and stored; finished games only, no duplicates.
#include "gamefiles/pgn2game.h"

#include <cstring>
#include <string>

#include "board/fen.h"
#include "board/log.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "gamefiles/san.h"
#include "gamefiles/setboard.h"
#include "movegen/evasions.h"
#include "movegen/generate.h"
#include "movegen/legality.h"

namespace {

// Undo records of the moves of the game being read: a game is longer than
// the search's ply records.
PlyRecord gameRecords[GAME_MAX_MOVES + 1];
ScoredMove generated[256];

// The echo of a game is collected here and written to the log in one piece
// after the game: the same text as line by line, with one flush per game. The
// movetext has no line end of its own; the next game's first line ends it.
std::string pendingEcho;

void EchoLine(const char* text) {
    pendingEcho += text;
    pendingEcho += '\n';
}

void FlushEcho() {
    if (pendingEcho.empty()) return;
    LogRaw(pendingEcho.c_str());
    pendingEcho.clear();
}

bool IsSpace(int c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\v'; }

bool IsResultToken(const char* token) {
    return !std::strcmp(token, "1-0") || !std::strcmp(token, "0-1") || !std::strcmp(token, "1/2-1/2") ||
           !std::strcmp(token, "*");
}

// Passes over a comment or variation whose opening character was just read.
void SkipNested(PgnReader& stream, int open, int close) {
    int depth = 1;
    while (depth > 0) {
        const int c = stream.Get();
        if (c == EOF) return;
        if (c == open) ++depth;
        else if (c == close) --depth;
    }
}

// Passes over the rest of a movetext that is not read: up to its result
// token, or up to the next tag section, so the next game starts cleanly.
void SkipMovetext(PgnReader& stream) {
    for (;;) {
        stream.SkipWhitespace();
        const int c = stream.Peek();
        if (c == EOF || c == '[') return;
        if (c == '{' || c == '(') {
            stream.Get();
            SkipNested(stream, c, c == '{' ? '}' : ')');
            continue;
        }
        char token[16];
        int n = 0;
        for (int d = stream.Peek(); d != EOF && !IsSpace(d) && d != '{' && d != '(' && d != '['; d = stream.Peek()) {
            stream.Get();
            if (n < 15) token[n++] = static_cast<char>(d);
        }
        token[n] = '\0';
        if (IsResultToken(token)) return;
    }
}

// Takes back the moves of the game read so far, last first.
void TakeBack(const GameRecord& game, int made) {
    while (made > 0) {
        UnmakeMove(static_cast<Move>(game.moveWords[made]), &gameRecords[made]);
        --made;
    }
}

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// Value of a tag line such as: FEN "..."] ; empty when there is none.
std::string TagValue(const char* text) {
    const char* open = std::strchr(text, '"');
    if (!open) return {};
    const char* close = std::strchr(open + 1, '"');
    return close ? std::string(open + 1, close) : std::string(open + 1);
}

// Set while reading tags: whether the game starts from a set-up position.
bool setUpTag;
bool fenTag;
bool fenIsStart;

bool FenIsStart(const std::string& fen) {
    // Only the four position fields matter; the counters may be anything.
    char placement[100], side[8], castling[8], ep[8];
    if (std::sscanf(fen.c_str(), "%99s %7s %7s %7s", placement, side, castling, ep) != 4) return false;
    return std::string(placement) + ' ' + side + ' ' + castling + ' ' + ep == START_FEN;
}

struct ConversionCounts {
    int converted = 0;
    int skipped = 0;
};

}  // namespace

bool PgnReader::Fill() {
    if (atEnd_) return false;
    const size_t got = std::fread(buffer_, 1, sizeof buffer_, file_);
    next_ = buffer_;
    end_ = buffer_ + got;
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    return true;
}

void PgnReader::SkipWhitespace() {
    while (IsSpace(Peek())) Get();
}

bool ReadPgnTags(GameRecord& game, PgnReader& stream) {
    game.resultText[0] = '\0';
    game.resultCode = '?';
    setUpTag = fenTag = fenIsStart = false;
    stream.SkipWhitespace();
    EchoLine("");
    int c = stream.Get();
    while (c == '[') {
        stream.SkipWhitespace();
        char text[512];
        int n = 0;
        for (c = stream.Get(); c != EOF && c != '\n'; c = stream.Get())
            if (n < 510) text[n++] = static_cast<char>(c);
        while (n > 0 && text[n - 1] == '\r') --n;
        text[n] = '\0';
        pendingEcho += '[';
        EchoLine(text);
        if (StartsWith(text, "Result")) {
            const char* p = text + 6;
            while (*p == ' ') ++p;
            if (*p) ++p;
            if (StartsWith(p, "1-0")) {
                game.resultCode = 'W';
                std::strcpy(game.resultText, "1-0");
            } else if (StartsWith(p, "0-1")) {
                game.resultCode = 'B';
                std::strcpy(game.resultText, "0-1");
            } else if (StartsWith(p, "1/2-1/2")) {
                game.resultCode = 'D';
                std::strcpy(game.resultText, "1/2-1/2");
            } else if (*p == '*') {
                game.resultCode = '*';
                std::strcpy(game.resultText, "*");
            } else {
                throw GameFileError("Result Error 1");
            }
        } else if (StartsWith(text, "FEN ") || StartsWith(text, "FEN\"")) {
            fenTag = true;
            fenIsStart = FenIsStart(TagValue(text));
        } else if (StartsWith(text, "SetUp")) {
            setUpTag = TagValue(text) != "0";
        }
        stream.SkipWhitespace();
        c = stream.Get();
    }
    stream.Unget();
    EchoLine("");
    if (stream.Readable() && game.resultCode == '?') throw GameFileError("Result Error 2");
    return stream.Readable();
}

Move ReadSanToken(GameRecord& game, PgnReader& stream) {
    int n = 0;
    while (n < 10) {
        const int c = stream.Peek();
        if (c == EOF || c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '{') break;
        game.sanText[n++] = static_cast<char>(stream.Get());
    }
    game.sanText[n] = '\0';
    return ReadSanMove(game.sanText);
}

uint16_t ReadPgnGame(GameRecord& game, PgnReader& stream) {
    int plyNo = 1;
    game.moveWords[0] = 0;
    if (!ReadPgnTags(game, stream)) return 0;

    // A game from a set-up position cannot be stored: records start from the
    // standard start position.
    if ((fenTag && !fenIsStart) || (setUpTag && !fenTag)) {
        SkipMovetext(stream);
        EchoLine(" {SETUP}");
        return 0;
    }

    auto fail = [&](const char* message) {
        TakeBack(game, plyNo - 1);
        throw GameFileError(message);
    };

    while (stream.Readable()) {
        stream.SkipWhitespace();
        const int ch = stream.Get();
        if (ch == EOF) break;
        if (ch == '*') {
            if (game.resultCode != '*') fail("Result * error");
            break;
        }
        if (ch >= '0' && ch <= '9') {
            pendingEcho += static_cast<char>(ch);
            if (ch == game.resultText[0] && stream.Peek() == static_cast<unsigned char>(game.resultText[1])) {
                for (const char* r = game.resultText + 1; *r; ++r) {
                    const int c = stream.Get();
                    if (c != EOF) pendingEcho += static_cast<char>(c);
                    if (c != static_cast<unsigned char>(*r)) fail("wrong end result 1");
                }
                break;
            }
            continue;
        }
        if (ch == '.') {
            pendingEcho += '.';
            continue;
        }
        if (ch == '$') continue;
        if (ch == '{' || ch == '(') {
            SkipNested(stream, ch, ch == '{' ? '}' : ')');
            continue;
        }
        // A movetext without a result token ends where the next game's tags begin.
        if (ch == '[') {
            stream.Unget();
            break;
        }
        stream.Unget();
        const Move move = ReadSanToken(game, stream);
        if (move == MOVE_NONE) {
            EchoLine((std::string(game.sanText) + "ERROR").c_str());
            std::printf("move: %s, plyNo:%d\n", game.sanText, plyNo);
            TakeBack(game, plyNo - 1);
            SkipMovetext(stream);
            return 0;
        }
        pendingEcho += game.sanText;
        pendingEcho += ' ';
        // The record holds 1023 moves; a longer game cannot be stored whole.
        if (plyNo > GAME_MAX_MOVES) {
            TakeBack(game, plyNo - 1);
            SkipMovetext(stream);
            EchoLine(" {TOO LONG}");
            return 0;
        }
        const Colour side = pos.sideToMove;
        PlyRecord* record = &gameRecords[plyNo];
        ComputeCheckInfo(&record->check);
        ScoredMove* end = GenerateNodeMoves(generated, &record->check);
        bool listed = false;
        for (ScoredMove* entry = generated; entry < end; ++entry)
            if (entry->move == move) {
                listed = true;
                break;
            }
        if (!listed) {
            PrintBoard(pos.board);
            std::printf("move: %s, plyNo:%d\n", game.sanText, plyNo);
            EchoLine((std::string(game.sanText) + "MOVE NOT LEGAL 1").c_str());
            fail("MOVE NOT LEGAL 1");
        }
        SaveSnapshot(record);
        MakeMove(move, record);
        game.moveWords[plyNo] = move;
        if (KingAttackedAfterMove(move, side)) {
            PrintBoard(pos.board);
            std::printf("move: %s, plyNo:%d\n", game.sanText, plyNo);
            ++plyNo;
            fail("MOVE NOT LEGAL 2 - check revealed");
        }
        ++plyNo;
    }

    if (plyNo == 1) {
        stream.SkipWhitespace();
        EchoLine(" {NOMOVES}");
        return 0;
    }
    uint16_t result = 0;
    if (!std::strcmp(game.resultText, "1-0")) result = 0x8000;
    else if (!std::strcmp(game.resultText, "0-1")) result = 0x4000;
    else if (!std::strcmp(game.resultText, "1/2-1/2")) result = 0xC000;
    game.moveWords[0] = static_cast<uint16_t>((plyNo - 1) | result);
    TakeBack(game, plyNo - 1);
    return result;
}

// ---- The duplicate test ----

uint64_t GameSet::HashOf(const uint16_t* words) const {
    uint64_t hash = 0x9E3779B97F4A7C15ull;
    const int n = words[0] & 0x3FFF;
    for (int i = 0; i <= n; ++i) hash = (hash ^ words[i]) * 0x100000001B3ull;
    return hash ^ (hash >> 29);
}

bool GameSet::Find(const uint16_t* words, uint64_t hash) const {
    if (slots_.empty()) return false;
    const size_t mask = slots_.size() - 1;
    const size_t length = (words[0] & 0x3FFF) + 1;
    for (size_t i = hash & mask; slots_[i]; i = (i + 1) & mask) {
        const uint16_t* held = pool_.data() + (slots_[i] - 1);
        if (held[0] == words[0] && std::memcmp(held, words, 2 * length) == 0) return true;
    }
    return false;
}

void GameSet::Grow() {
    std::vector<uint32_t> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 1024 : 2 * old.size(), 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t slot : old) {
        if (!slot) continue;
        size_t i = HashOf(pool_.data() + (slot - 1)) & mask;
        while (slots_[i]) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

void GameSet::Insert(const uint16_t* words, uint64_t hash) {
    if (2 * (count_ + 1) > static_cast<int>(slots_.size())) Grow();
    const size_t length = (words[0] & 0x3FFF) + 1;
    const uint32_t slot = static_cast<uint32_t>(pool_.size() + 1);
    pool_.insert(pool_.end(), words, words + length);
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i]) i = (i + 1) & mask;
    slots_[i] = slot;
    ++count_;
}

void GameSet::Load(std::FILE* gameFile) {
    loaded_ = true;
    std::fseek(gameFile, 0, SEEK_END);
    const long size = std::ftell(gameFile);
    std::fseek(gameFile, 0, SEEK_SET);
    std::vector<unsigned char> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), gameFile);
    uint16_t words[GAME_MAX_MOVES + 1];
    size_t at = 0;
    while (at < got) {
        if (got - at < 2) {
            fault_ = "GAME FILE CUT OFF";
            break;
        }
        words[0] = static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
        const int n = words[0] & 0x3FFF;
        if ((words[0] >> 14) == 0) {
            fault_ = "WRONG RESULT";
            break;
        }
        if (n > GAME_MAX_MOVES) {
            fault_ = "WRONG MOVE COUNT";
            break;
        }
        if (got - at < 2 * static_cast<size_t>(n + 1)) {
            fault_ = "GAME FILE CUT OFF";
            break;
        }
        for (int i = 1; i <= n; ++i)
            words[i] = static_cast<uint16_t>(bytes[at + 2 * i] | (bytes[at + 2 * i + 1] << 8));
        const uint64_t hash = HashOf(words);
        if (!Find(words, hash)) Insert(words, hash);
        at += 2 * static_cast<size_t>(n + 1);
    }
    // Writes go to the end; a seek is required between reading and writing.
    std::fseek(gameFile, 0, SEEK_END);
}

bool GameSet::Contains(const GameRecord& game) const {
    if (Find(game.moveWords, HashOf(game.moveWords))) return true;
    if (fault_) throw GameFileError(fault_);
    return false;
}

void GameSet::Add(const GameRecord& game) {
    const uint64_t hash = HashOf(game.moveWords);
    if (!Find(game.moveWords, hash)) Insert(game.moveWords, hash);
}

// ---- The conversions ----

namespace {

// Converts one PGN file; false when a raised error ends it (and a list).
bool ConvertFile(const char* pgnName, const char* gameName, int& total, GameSet& games) {
    std::FILE* pgnFile = std::fopen(pgnName, "r");
    if (!pgnFile) {
        std::printf("Cannot open PGN input file: '%s'\n", pgnName);
        return true;
    }
    std::FILE* gameFile = std::fopen(gameName, "a+b");
    if (!gameFile) {
        std::printf("Cannot create GAME output file: '%s'\n", gameName);
        std::fclose(pgnFile);
        return true;
    }
    if (!games.Loaded()) games.Load(gameFile);
    SetBoard(START_FEN, false);

    static PgnReader reader;
    reader.Open(pgnFile);
    static GameRecord game;
    ConversionCounts counts;
    bool ok = true;
    try {
        // A byte-order mark written by some editors is not part of the text.
        if (reader.Peek() == 0xEF) {
            reader.Get();
            if (reader.Peek() == 0xBB) reader.Get();
            if (reader.Peek() == 0xBF) reader.Get();
        }
        reader.SkipWhitespace();
        while (reader.Peek() != EOF) {
            const uint16_t result = ReadPgnGame(game, reader);
            if (result == 0 || games.Contains(game)) {
                ++counts.skipped;
                std::printf("Warning: game %d (skipped) file: %s\n", counts.converted + counts.skipped, pgnName);
            } else {
                WriteGame(game, gameFile);
                games.Add(game);
                ++counts.converted;
                ++total;
            }
            FlushEcho();
            reader.SkipWhitespace();
        }
        std::printf("converted: %d games. (skipped: %d)\n", counts.converted, counts.skipped);
        std::printf("file: %s \t\tfinished\n", pgnName);
        FlushEcho();
        LogLine("<<< OK:\t%s\t>>>", pgnName);
    } catch (const GameFileError& error) {
        std::printf("converted: %d games. (skipped: %d)\n", counts.converted, counts.skipped);
        std::printf("ERROR: %s file: %s\n", error.what(), pgnName);
        FlushEcho();
        LogLine("converted: %d\tskipped: %d", counts.converted, counts.skipped);
        LogLine("ERROR: %s", error.what());
        ok = false;
    }
    std::fclose(gameFile);
    std::fclose(pgnFile);
    return ok;
}

}  // namespace

void ConvertPgnFile(const char* pgnName, const char* gameName, int& total) {
    GameSet games;
    ConvertFile(pgnName, gameName, total, games);
}

void ConvertPgnList(const char* listName, const char* gameName) {
    std::FILE* list = std::fopen(listName, "r");
    if (!list) {
        std::printf("Cannot open PGN input file: '%s'\n", listName);
        return;
    }
    // One set for the whole list: the GAME file is read once, not once per file.
    GameSet games;
    int total = 0;
    char line[256];
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, list)) {
        size_t n = std::strlen(line);
        if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
        else if (n == sizeof line - 1) {
            // The rest of an overlong line is not a name of its own.
            for (int c = std::fgetc(list); c != EOF && c != '\n'; c = std::fgetc(list)) {}
        }
        if (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
        ok = ConvertFile(line, gameName, total, games);
    }
    std::fclose(list);
    if (ok) std::printf("\nCONVERTED GAMES: %d\n", total);
}
