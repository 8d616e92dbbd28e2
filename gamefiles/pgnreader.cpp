// The PGN reader: characters, tags and movetext, every move read with the
// SAN reader and validated against the moves generated for its position.
#include "gamefiles/pgnreader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "board/fen.h"
#include "board/log.h"
#include "board/makemove.h"
#include "board/position.h"
#include "gamefiles/movecheck.h"
#include "gamefiles/san.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"

namespace {

// The echo of the games is collected here and written to the log a block at
// a time, and always before the end mark of a file or an error line: the same
// text as line by line, without a write for every game. The movetext has no
// line end of its own; the next game's first line ends it. It takes every
// character of a movetext, so adding one is kept to a store.
class EchoBuffer {
public:
    void Put(char c) {
        if (size_ == BLOCK) Flush();
        text_[size_++] = c;
    }
    void Put(const char* text, size_t length) {
        while (length > 0) {
            if (size_ == BLOCK) Flush();
            const size_t part = std::min(length, BLOCK - size_);
            std::memcpy(text_ + size_, text, part);
            size_ += part;
            text += part;
            length -= part;
        }
    }
    void Put(const char* text) { Put(text, std::strlen(text)); }
    void Line(const char* text) {
        Put(text);
        Put('\n');
    }
    // A move's text and the blank after it.
    void Word(const char* text, size_t length) {
        Put(text, length);
        Put(' ');
    }
    void Flush() {
        if (size_ == 0) return;
        text_[size_] = '\0';
        LogRaw(text_);
        size_ = 0;
    }

private:
    static constexpr size_t BLOCK = 1 << 16;
    char text_[BLOCK + 1];
    size_t size_ = 0;
};
EchoBuffer echo;

// The log's mark after the echo of a game that is skipped: mark, when the
// echo has one of its own ("" when it already ended), else the reason.
void EchoSkip(const char* reason, const char* mark) {
    if (!mark) echo.Line((std::string(" {") + reason + "}").c_str());
    else if (*mark) echo.Line(mark);
}

bool IsSpace(int c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\v'; }

// Characters that end a move token: white space and the characters that begin
// or end the other elements of a movetext.
struct TokenEnds {
    bool table[256] = {};
    constexpr TokenEnds() {
        for (unsigned char c : {' ', '\n', '\r', '\t', '\f', '\v', '{', '}', '(', ')', '[', ']', ';', '$'}) table[c] = true;
    }
};
constexpr TokenEnds TOKEN_ENDS;
bool EndsToken(unsigned char c) { return TOKEN_ENDS.table[c]; }

bool IsResultToken(const char* token) {
    return !std::strcmp(token, "1-0") || !std::strcmp(token, "0-1") || !std::strcmp(token, "1/2-1/2") ||
           !std::strcmp(token, "*");
}

bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsTagNameCharacter(int c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

// True when a tag line begins at the next character: "[", a tag name, blanks
// and the quote of its value. A comment or variation left open ends there,
// so that it costs its own game only, not every game after it.
bool TagLineAhead(PgnReader& stream) {
    if (stream.Peek() != '[' || !IsLetter(stream.PeekAt(1))) return false;
    int i = 2;
    while (i < PgnReader::LOOKAHEAD - 2 && IsTagNameCharacter(stream.PeekAt(i))) ++i;
    while (i < PgnReader::LOOKAHEAD - 1 && (stream.PeekAt(i) == ' ' || stream.PeekAt(i) == '\t')) ++i;
    return stream.PeekAt(i) == '"';
}

bool IsCommentMark(unsigned char c) { return c == '{' || c == '}' || c == '\n'; }

// Passes over a comment whose "{" was just read, counting nested braces;
// false when it is not closed before the end or a tag line.
bool SkipComment(PgnReader& stream) {
    int depth = 1;
    while (depth > 0) {
        char none[1];
        stream.ReadUntil(IsCommentMark, none, sizeof none);
        const int c = stream.Get();
        if (c == EOF) return false;
        if (c == '{') ++depth;
        else if (c == '}') --depth;
        else if (TagLineAhead(stream)) return false;
    }
    return true;
}

// Passes over a variation whose "(" was just read: nested variations, and the
// comments inside it, whose brackets do not count; false as for a comment.
bool SkipVariation(PgnReader& stream) {
    int depth = 1;
    while (depth > 0) {
        stream.SkipSpace();
        if (stream.AtLineStart() && TagLineAhead(stream)) return false;
        const int c = stream.Get();
        if (c == EOF) return false;
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        else if (c == '{' && !SkipComment(stream)) return false;
    }
    return true;
}

// Passes over a comment or a variation whose opening character was just read;
// false when it is left open.
bool SkipCommentOrVariation(PgnReader& stream, int open) {
    return open == '{' ? SkipComment(stream) : SkipVariation(stream);
}

// Reads the rest of a token into text (at most size - 1 characters kept).
int ReadTokenText(PgnReader& stream, char* text, int size) { return stream.ReadUntil(EndsToken, text, size); }

// Passes over the rest of a movetext that is not read: up to its result
// token, or up to the next tag section, so the next game starts cleanly.
// A comment or variation left open ends at the next tag line.
void SkipMovetext(PgnReader& stream) {
    for (;;) {
        stream.SkipSpace();
        const int c = stream.Peek();
        if (c == EOF || c == '[') return;
        if (c == '{' || c == '(') {
            stream.Get();
            SkipCommentOrVariation(stream, c);
            continue;
        }
        char token[16];
        ReadTokenText(stream, token, sizeof token);
        if (!token[0]) stream.Get();  // a lone closing bracket or "$"
        if (IsResultToken(token)) return;
    }
}

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// True when the tag text begins with the tag name name.
bool IsTag(const char* text, const char* name) {
    const size_t n = std::strlen(name);
    return std::strncmp(text, name, n) == 0 && (text[n] == ' ' || text[n] == '\t' || text[n] == '"');
}

// Value of a tag text such as: FEN "..."] ; empty when there is none.
std::string TagValue(const char* text) {
    const char* open = std::strchr(text, '"');
    if (!open) return {};
    const char* close = std::strchr(open + 1, '"');
    return close ? std::string(open + 1, close) : std::string(open + 1);
}

// What the tags of the game being read say besides its result.
struct GameTags {
    bool setUp = false;  // a SetUp tag other than "0"
    bool fen = false;
    bool fenIsStart = false;
    std::string variant;  // the Variant tag's value, when it names other rules
};
GameTags tags;

// Variant tag values that name standard chess; "From Position" is standard
// chess from a set-up position, which the FEN tag tells.
bool IsStandardChess(std::string value) {
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    size_t first = 0;
    while (first < value.size() && (value[first] == ' ' || value[first] == '\t')) ++first;
    value.erase(0, first);
    for (char& c : value)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const char* name : {"", "standard", "chess", "normal", "from position"})
        if (value == name) return true;
    return false;
}

bool FenIsStart(const std::string& fen) {
    // Only the four position fields matter; the counters may be anything.
    char placement[100], side[8], castling[8], ep[8];
    if (std::sscanf(fen.c_str(), "%99s %7s %7s %7s", placement, side, castling, ep) != 4) return false;
    return std::string(placement) + ' ' + side + ' ' + castling + ' ' + ep == START_FEN;
}

// Reads one tag after its "[": up to the "]" that closes it (a "]" inside
// the quoted value does not), or up to the line end when it is not closed.
// The text kept is at most 510 characters, the "]" included.
void ReadTagText(PgnReader& stream, char* text) {
    int n = 0;
    bool quoted = false;
    for (int c = stream.Get(); c != EOF && c != '\n'; c = stream.Get()) {
        if (n < 510) text[n++] = static_cast<char>(c);
        if (quoted) {
            if (c == '\\') {
                const int escaped = stream.Peek();
                if (escaped != EOF && escaped != '\n') {
                    stream.Get();
                    if (n < 510) text[n++] = static_cast<char>(escaped);
                }
            } else if (c == '"') {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ']') {
            break;
        }
    }
    while (n > 0 && text[n - 1] == '\r') --n;
    text[n] = '\0';
}

// False when the value is none of the four results.
bool ReadResultTag(GameRecord& game, const char* text) {
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
        return false;
    }
    return true;
}

uint16_t ResultBits(const char* resultText) {
    if (!std::strcmp(resultText, "1-0")) return 0x8000;
    if (!std::strcmp(resultText, "0-1")) return 0x4000;
    if (!std::strcmp(resultText, "1/2-1/2")) return 0xC000;
    return 0;
}

// The position the game started from, put back on every exit of the reader:
// the moves are made forward only and never unmade one by one.
struct StartPosition {
    Position position;
    HistoryEntry* top;
    StartPosition() : position(pos), top(historyTop) {}
    void Restore() const {
        pos = position;
        historyTop = top;
    }
};

}  // namespace

// ---- The PGN reader ----

void PgnReader::Open(Input& input) {
    input_ = &input;
    next_ = end_ = buffer_;
    atEnd_ = started_ = failed_ = false;
    bytesFilled_ = 0;
    counted_ = buffer_;
    lineEnds_ = 0;
}

namespace {

// Line feeds in [from, to): counted a block at a time into a byte, which the
// compiler does many bytes at once; every game start asks for its line.
int64_t CountLineEnds(const char* from, const char* to) {
    constexpr ptrdiff_t BLOCK = 64;
    int64_t count = 0;
    for (; to - from >= BLOCK; from += BLOCK) {
        unsigned char inBlock = 0;
        for (ptrdiff_t i = 0; i < BLOCK; ++i) inBlock = static_cast<unsigned char>(inBlock + (from[i] == '\n'));
        count += inBlock;
    }
    for (; from < to; ++from) count += *from == '\n';
    return count;
}

}  // namespace

int64_t PgnReader::Line() {
    const char* const next = next_;
    if (next >= counted_) lineEnds_ += CountLineEnds(counted_, next);
    else lineEnds_ -= CountLineEnds(next, counted_);
    counted_ = next;
    return lineEnds_ + 1;
}

bool PgnReader::Fill(size_t need) {
    if (atEnd_) return static_cast<size_t>(end_ - next_) >= need;
    // The character before next_ stays, so that Unget works across a refill.
    char* keep = next_ > buffer_ ? next_ - 1 : next_;
    if (keep > buffer_) {
        // The line ends of the part that goes are counted first.
        if (counted_ < keep) {
            lineEnds_ += CountLineEnds(counted_, keep);
            counted_ = keep;
        }
        counted_ = buffer_ + (counted_ - keep);
        started_ = true;
        const size_t rest = static_cast<size_t>(end_ - keep);
        std::memmove(buffer_, keep, rest);
        next_ = buffer_ + (next_ - keep);
        end_ = buffer_ + rest;
    }
    while (static_cast<size_t>(end_ - next_) < need && !atEnd_) {
        const size_t room = static_cast<size_t>(buffer_ + sizeof buffer_ - end_);
        const size_t got = input_->Read(end_, room);
        if (got == 0) {
            atEnd_ = true;
            failed_ = !input_->Failure().empty();
            break;
        }
        const char* stop = static_cast<const char*>(std::memchr(end_, 0x1A, got));
        const size_t taken = stop ? static_cast<size_t>(stop - end_) : got;
        end_ += taken;
        bytesFilled_ += taken;
        if (stop) atEnd_ = true;
    }
    return static_cast<size_t>(end_ - next_) >= need;
}

void PgnReader::SkipWhitespace() {
    while (IsSpace(Peek())) Get();
}

bool PgnReader::SkipOther() {
    const int c = Peek();
    if (c == '\f' || c == '\v') {
        Get();
        return true;
    }
    if (c == ';' || (c == '%' && AtLineStart())) {
        for (int d = Get(); d != EOF && d != '\n'; d = Get()) {
        }
        return true;
    }
    return false;
}

bool ReadPgnTags(GameRecord& game, PgnReader& stream, SkipReason& why) {
    game.resultText[0] = '\0';
    game.resultCode = '?';
    tags = GameTags{};
    SkipToTags(stream);
    echo.Line("");
    while (stream.Peek() == '[') {
        stream.Get();
        stream.SkipWhitespace();
        char text[512];
        ReadTagText(stream, text);
        echo.Put('[');
        echo.Line(text);
        // Most tags are none of these: their first letter tells.
        switch (text[0]) {
        case 'R':
            if (IsTag(text, "Result") && !ReadResultTag(game, text) && !why.text) {
                why.text = "Result Error 1";
                why.detail = TagValue(text);
            }
            break;
        case 'F':
            if (IsTag(text, "FEN")) {
                tags.fen = true;
                tags.fenIsStart = FenIsStart(TagValue(text));
            }
            break;
        case 'S':
            if (IsTag(text, "SetUp")) tags.setUp = TagValue(text) != "0";
            break;
        case 'V':
            if (IsTag(text, "Variant")) {
                std::string value = TagValue(text);
                tags.variant = IsStandardChess(value) ? std::string() : std::move(value);
            }
            break;
        default: break;
        }
        stream.SkipSpace();
    }
    echo.Line("");
    const bool readable = stream.Readable();
    if (readable && game.resultCode == '?' && !why.text) why.text = "Result Error 2";
    return readable;
}

namespace {

// Results begin with "0-", "1-" or "1/"; move numbers never do.
inline bool MayBeginResult(int ch, PgnReader& stream) {
    return (ch == '0' || ch == '1') && (stream.Peek() == '-' || stream.Peek() == '/');
}

// The length of the result token that ch and the characters after it spell,
// or 0 when they spell none.
int ResultTokenAhead(int ch, PgnReader& stream) {
    for (const char* result : {"1-0", "0-1", "1/2-1/2"}) {
        if (ch != result[0]) continue;
        int n = 1;
        while (result[n] && stream.PeekAt(n - 1) == static_cast<unsigned char>(result[n])) ++n;
        const int after = stream.PeekAt(n - 1);
        if (!result[n] && (after == EOF || EndsToken(static_cast<unsigned char>(after)))) return n;
    }
    return 0;
}

}  // namespace

uint16_t ReadPgnGame(GameRecord& game, PgnReader& stream, SkipReason& why) {
    int plyNo = 1;
    game.moveWords[0] = 0;
    why = SkipReason{};
    const bool readable = ReadPgnTags(game, stream, why);

    // Other rules than those of chess, and a set-up position, which a record
    // cannot hold: it starts from the standard start position.
    const char* mark = nullptr;
    if (!tags.variant.empty()) {
        why = SkipReason{"variant game", 0, tags.variant};
    } else if (!why.text && ((tags.fen && !tags.fenIsStart) || (tags.setUp && !tags.fen))) {
        why.text = "set-up position";
        mark = " {SETUP}";
    }
    if (why.text) {
        SkipMovetext(stream);
        EchoSkip(why.text, mark);
        return 0;
    }
    if (!readable) {
        why.text = "no moves";
        return 0;
    }

    const StartPosition start;
    // A fault of this game: the rest of its movetext is passed over, and the
    // next game is read.
    auto skip = [&](const char* text, int ply, std::string detail, const char* mark) -> uint16_t {
        start.Restore();
        SkipMovetext(stream);
        EchoSkip(text, mark);
        why = SkipReason{text, ply, std::move(detail)};
        return 0;
    };

    PlyRecord record;
    bool finished = false;
    while (!finished) {
        stream.SkipSpace();
        const int ch = stream.Get();
        if (ch == EOF) break;
        if (ch == '*') {
            if (game.resultCode != '*') return skip("Result * error", 0, "", nullptr);
            finished = true;
            continue;
        }
        if (ch >= '0' && ch <= '9') {
            // Castling written with zeros is a move, not a number or a result.
            const bool castling = ch == '0' && stream.Peek() == '-' && stream.PeekAt(1) == '0';
            if (!castling) {
                echo.Put(static_cast<char>(ch));
                if (ch == game.resultText[0] && stream.Peek() == static_cast<unsigned char>(game.resultText[1])) {
                    // The tag's result, read as far as it matches.
                    char token[sizeof game.resultText] = {static_cast<char>(ch)};
                    int n = 1;
                    for (const char* r = game.resultText + 1; *r; ++r) {
                        const int c = stream.Get();
                        if (c != EOF) {
                            echo.Put(static_cast<char>(c));
                            token[n++] = static_cast<char>(c);
                        }
                        if (c != static_cast<unsigned char>(*r))
                            return skip("wrong end result 1", 0, std::string(token, n), nullptr);
                    }
                    finished = true;
                } else if (MayBeginResult(ch, stream)) {
                    // Another result than the tag's.
                    if (const int length = ResultTokenAhead(ch, stream)) {
                        std::string token(1, static_cast<char>(ch));
                        for (int i = 1; i < length; ++i) token += static_cast<char>(stream.Get());
                        echo.Put(token.c_str() + 1);
                        return skip("wrong end result 1", 0, token, nullptr);
                    }
                }
                continue;
            }
        } else if (ch == '.') {
            echo.Put('.');
            continue;
        } else if (ch == '$') {
            continue;
        } else if (ch == '{' || ch == '(') {
            if (!SkipCommentOrVariation(stream, ch)) {
                start.Restore();
                why.text = ch == '{' ? "comment not closed" : "variation not closed";
                EchoSkip(why.text, nullptr);
                return 0;
            }
            continue;
        } else if (ch == '[') {
            // The next game's tags: this movetext ended without its result.
            stream.Unget();
            break;
        }
        stream.Unget();
        const int length = ReadTokenText(stream, game.sanText, sizeof game.sanText);
        // The record holds 1023 moves; a longer game cannot be stored whole,
        // and its next move is not read against a position it cannot follow.
        const bool tooLong = plyNo > GAME_MAX_MOVES;
        const Move move = tooLong ? MOVE_NONE : ReadSanMove(game.sanText);
        if (move == MOVE_NONE) {
            // An en-passant mark written apart from its capture.
            if (plyNo > 1 && IsEnPassantMark(game.sanText)) {
                echo.Word(game.sanText, static_cast<size_t>(length));
                continue;
            }
            if (tooLong) {
                echo.Word(game.sanText, static_cast<size_t>(length));
                return skip("more plies than a record holds", 0, "", " {TOO LONG}");
            }
            if (IsNullMoveText(game.sanText)) {
                echo.Put(game.sanText, static_cast<size_t>(length));
                return skip("null move", plyNo, game.sanText, nullptr);
            }
            echo.Line((std::string(game.sanText) + "ERROR").c_str());
            return skip("move not recognised", plyNo, game.sanText, "");
        }
        echo.Word(game.sanText, static_cast<size_t>(length));
        const Colour side = pos.sideToMove;
        ComputeCheckInfo(&record.check);
        if (!IsGeneratedMove(move, record.check)) {
            echo.Line((std::string(game.sanText) + "MOVE NOT LEGAL 1").c_str());
            return skip("MOVE NOT LEGAL 1", plyNo, game.sanText, "");
        }
        MakeMove(move, &record);
        if (KingAttackedAfterMove(move, side))
            return skip("MOVE NOT LEGAL 2 - check revealed", plyNo, game.sanText, nullptr);
        game.moveWords[plyNo++] = move;
    }

    start.Restore();
    if (plyNo == 1) {
        stream.SkipSpace();
        echo.Line(" {NOMOVES}");
        why.text = "no moves";
        return 0;
    }
    // A game cut off by the end of the file or by the next tags is not
    // finished, whatever its tag says.
    if (!finished) {
        echo.Line(" {NO RESULT}");
        why.text = "no result token";
        return 0;
    }
    const uint16_t result = ResultBits(game.resultText);
    game.moveWords[0] = static_cast<uint16_t>((plyNo - 1) | result);
    if (!result) why.text = "unfinished game";
    return result;
}

size_t ReadPgnRecord(PgnReader& stream, unsigned char* bytes, SkipReason& why) {
    static GameRecord game;
    size_t size = 0;
    if (ReadPgnGame(game, stream, why) != 0) {
        EncodeGame(game, bytes);
        size = static_cast<size_t>(GameRecordSize(game));
    }
    SkipToTags(stream);
    return size;
}

void SkipToTags(PgnReader& stream) {
    stream.SkipSpace();
    while (stream.Peek() == '{') {
        stream.Get();
        SkipComment(stream);
        stream.SkipSpace();
    }
}

void SkipByteOrderMark(PgnReader& stream) {
    // Written by some editors; not part of the text.
    if (stream.Peek() == 0xEF) {
        stream.Get();
        if (stream.Peek() == 0xBB) stream.Get();
        if (stream.Peek() == 0xBF) stream.Get();
    }
}

void FlushPgnEcho() { echo.Flush(); }
