// The UCI session. The main thread reads the front end's lines and keeps
// reading while the engine thread searches: it waits for input with a time
// out at the search's deadline, and the engine thread wakes it through a
// pipe when a search returns by itself, so that "stop", "isready",
// "ponderhit" and "quit" are answered at once and every budget is kept.
#include "shell/uci.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "board/fen.h"
#include "board/keys.h"
#include "board/log.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "gamefiles/book.h"
#include "gamefiles/setboard.h"
#include "movegen/evasions.h"
#include "movegen/legality.h"
#include "search/hashtable.h"
#include "search/pv.h"
#include "shell/engine.h"
#include "shell/events.h"
#include "shell/report.h"
#include "shell/timecontrol.h"

namespace {

constexpr char ENGINE_NAME[] = "Pelmot " PELMOT_VERSION;
constexpr char ENGINE_AUTHOR[] = "the Pelmot developers";
// A "go movetime T" moves this much before T, or at half of a shorter T.
constexpr uint32_t MOVE_TIME_MARGIN_MS = 50;
constexpr int64_t NOT_GIVEN = INT64_MIN;
// Numbers in commands are cut to this (in milliseconds, about 30 years).
constexpr int64_t LARGEST_NUMBER = 1000000000000LL;
// Echoes of the front end's words in notes are cut to this length.
constexpr int ECHO = 64;
#ifdef PELMOT_FUZZ
// A fuzzing run plays many sessions a second in little memory.
constexpr uint32_t FUZZ_LARGEST_HASH_MB = 64;
#endif

// ---- Words ----------------------------------------------------------------------

// Any control character or blank separates words, NUL bytes included.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The words of a text; a copy walks them again.
struct Words {
    std::string_view rest;

    bool Next(std::string_view& word) {
        size_t at = 0;
        while (at < rest.size() && IsBlank(rest[at])) ++at;
        size_t end = at;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        word = rest.substr(at, end - at);
        rest.remove_prefix(end);
        return !word.empty();
    }
    bool Peek(std::string_view& word) const {
        Words copy = *this;
        return copy.Next(word);
    }
    // What is left, without the blanks around it.
    std::string_view Remaining() const {
        std::string_view text = rest;
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
        return text;
    }
};

// A word of the front end's, cut for a note.
std::string Echo(std::string_view word) { return std::string(word.substr(0, ECHO)); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A decimal integer filling the whole word, cut to +-LARGEST_NUMBER.
bool ReadInteger(std::string_view word, int64_t& value) {
    size_t at = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) ++at;
    if (at == word.size()) return false;
    int64_t v = 0;
    for (; at < word.size(); ++at) {
        if (word[at] < '0' || word[at] > '9') return false;
        v = std::min(LARGEST_NUMBER, 10 * v + (word[at] - '0'));
    }
    value = negative ? -v : v;
    return true;
}

// Coordinate text of one move: e2e4, e7e8q.
bool IsMoveWord(std::string_view word) {
    if (word.size() != 4 && word.size() != 5) return false;
    if (word[0] < 'a' || word[0] > 'h' || word[1] < '1' || word[1] > '8') return false;
    if (word[2] < 'a' || word[2] > 'h' || word[3] < '1' || word[3] > '8') return false;
    return word.size() == 4 || std::strchr("qrbnQRBN", word[4]) != nullptr;
}

// ---- Output -----------------------------------------------------------------------

constexpr int OUTPUT_SIZE = 2048;

// One whole line to the front end in a single write, so that the lines of
// the two threads never mix.
void Send(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Send(const char* format, ...) {
    char text[OUTPUT_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text - 1, format, args);
    va_end(args);
    std::strcat(text, "\n");
    std::fputs(text, stdout);
    std::fflush(stdout);
}

// A note to the user: an "info string" line, also logged.
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Note(const char* format, ...) {
    char text[OUTPUT_SIZE / 2];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Send("info string %s", text);
    LogLine("-M: info string %s", text);
}

void SendBestMove(Move move, Move reply, int score) {
    char text[8] = "0000", replyText[8];
    if (move != MOVE_NONE) MoveToText(text, move);
    if (reply != MOVE_NONE) {
        MoveToText(replyText, reply);
        Send("bestmove %s ponder %s", text, replyText);
    } else {
        Send("bestmove %s", text);
    }
    LogLine("bestmove %s\tscore: %d", text, score);
}

// ---- Input --------------------------------------------------------------------------

// Longer lines are dropped whole: the longest legal game fits as a "position".
constexpr size_t LINE_SIZE = size_t{1} << 17;
char line[LINE_SIZE];
size_t lineLength = 0;
bool lineTooLong = false;
bool lineTaken = false;
char chunk[4096];
size_t chunkAt = 0, chunkEnd = 0;
bool inputEnded = false;
// The engine thread writes a byte here when a search returns.
int wakeRead = -1, wakeWrite = -1;

void WakeReader() {
    const char byte = 1;
    // A full pipe already wakes the reader.
    [[maybe_unused]] ssize_t written = write(wakeWrite, &byte, 1);
}

enum class Input { LINE, TIMEOUT, WOKEN, END };

// Moves buffered bytes into the line; true when the line is whole.
bool TakeLine() {
    while (chunkAt < chunkEnd) {
        const char c = chunk[chunkAt++];
        if (c == '\n') return true;
        if (lineLength < LINE_SIZE - 1)
            line[lineLength++] = c;
        else
            lineTooLong = true;
    }
    return false;
}

// Waits at most timeoutMs (-1: no limit) for the next line, which is then
// in line[0, lineLength), or for the engine thread's wake-up.
Input NextInput(int timeoutMs) {
    if (lineTaken) {
        lineLength = 0;
        lineTooLong = false;
        lineTaken = false;
    }
    for (;;) {
        if (TakeLine() || (inputEnded && (lineLength > 0 || lineTooLong))) {
            lineTaken = true;
            if (lineLength > 0 && line[lineLength - 1] == '\r') --lineLength;
            line[lineLength] = 0;
            return Input::LINE;
        }
        if (inputEnded) return Input::END;
        pollfd fds[2] = {{fileno(stdin), POLLIN, 0}, {wakeRead, POLLIN, 0}};
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) return Input::WOKEN;
            inputEnded = true;
            continue;
        }
        if (ready == 0) return Input::TIMEOUT;
        if (fds[1].revents) {
            char drain[64];
            while (read(wakeRead, drain, sizeof drain) > 0) {
            }
            return Input::WOKEN;
        }
        const ssize_t n = read(fds[0].fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            inputEnded = true;
            continue;
        }
        chunkAt = 0;
        chunkEnd = static_cast<size_t>(n);
    }
}

// ---- Options ------------------------------------------------------------------------

struct Options {
    bool ponder = true;
    bool ownBook = true;
};
Options options;
// Table changes asked for during a search, made once it has answered.
uint32_t hashMbWanted = 0;
bool clearWanted = false;

// ---- The game -------------------------------------------------------------------------

// The game as the front end last set it: the position it started from and
// its moves, so that a "position" that continues it plays only the new moves.
constexpr size_t BASE_SIZE = 128;
constexpr int GAME_RECORD_SIZE = 16384;
char gameBase[BASE_SIZE];  // empty before the first set-up
Move gameMoves[GAME_RECORD_SIZE];
int gameLength = 0;
bool gameRecordFull = false;

void LoadBookForNewGame() {
    // The book is a book of the start position.
    if (!options.ownBook || pos.hashKey != StartPositionKey()) return;
    if (!BookLoad(BOOK_FILE_NAME)) Note("no opening book: %s cannot be read", BOOK_FILE_NAME);
}

// A new game from base: the tables are cleared as a new game clears them.
bool SetUpNewGame(const char* base) {
    if (!SetBoard(base, false)) return false;
    ForgetGameMoves();
    std::snprintf(gameBase, sizeof gameBase, "%s", base);
    gameLength = 0;
    gameRecordFull = false;
    LoadBookForNewGame();
    return true;
}

void PlayGameMove(Move move) {
    ApplyGameMove(move);
    if (gameLength < GAME_RECORD_SIZE)
        gameMoves[gameLength++] = move;
    else
        gameRecordFull = true;
}

// Plays the moves as long as they are legal.
void PlayMoves(Words moves) {
    std::string_view word;
    while (moves.Next(word)) {
        char text[8] = {};
        Move move = MOVE_NONE;
        if (IsMoveWord(word)) {
            word.copy(text, word.size());
            move = TextToMove(text);
        }
        if (move == MOVE_NONE || !IsLegalMove(move)) {
            Note("illegal move %s: the game stands before it", Echo(word).c_str());
            return;
        }
        PlayGameMove(move);
    }
}

bool SameMove(std::string_view word, Move move) {
    char text[8];
    MoveToText(text, move);
    return EqualsNoCase(word, text);
}

// The recorded game set up again from its start: after the table was
// resized or cleared, so that the book is back in it.
void SetUpGameAgain() {
    if (gameBase[0] == 0 || gameRecordFull) {
        ClearHashTable();
        return;
    }
    const int length = gameLength;
    char base[BASE_SIZE];
    std::memcpy(base, gameBase, sizeof base);
    SetUpNewGame(base);
    for (int i = 0; i < length; ++i) PlayGameMove(gameMoves[i]);
}

void ApplyTableOptions() {
    if (hashMbWanted == 0 && !clearWanted) return;
    if (hashMbWanted != 0 && !ResizeHashTable(hashMbWanted))
        Note("not enough memory for a table of %u MB: it keeps %llu MB", hashMbWanted,
             static_cast<unsigned long long>(HashBucketCount() * sizeof(HashBucket) >> 20));
    LogLine("-M: the table has %llu buckets, all empty", static_cast<unsigned long long>(HashBucketCount()));
    hashMbWanted = 0;
    clearWanted = false;
    SetUpGameAgain();
}

// ---- The search -------------------------------------------------------------------------

// The "go" that waits for its bestmove; main thread only.
struct Search {
    bool active = false;
    bool ended = false;        // the engine thread has returned
    bool waitForStop = false;  // infinite or pondering: bestmove only on stop or ponderhit
    bool pondering = false;
    bool timed = false;
    bool extraGiven = false;   // the extra time after a fail low
    Move bookMove = MOVE_NONE;  // pondering in the book: the answer, no search
    uint32_t moveStart = 0;    // the clock of the move runs from here
    uint32_t deadline = 0;
    // A root drawn by the history is searched as a fresh start.
    bool rootReset = false;
    uint16_t rootPlies = 0;
};
Search current;

// Read by UciInfo on the engine thread: written before each search starts.
uint32_t goClock = 0;
int lastIterationDepth = 0;

bool Idle() { return !current.active; }

void RestoreRoot() {
    if (current.rootReset) historyTop->reversiblePlies = current.rootPlies;
    current.rootReset = false;
}

// The bestmove line, with the reply to ponder on when pondering is on.
void AnswerMove(Move move, int score) {
    SendBestMove(move, options.ponder ? ExpectedReplyAfter(move) : MOVE_NONE, score);
}

void AnswerBookMove(Move move) {
    char text[8];
    MoveToText(text, move);
    Note("book move %s", text);
    LogLine("-M: move(book): %s", text);
    AnswerMove(move, 0);
}

// Stops the engine thread (at once if it has returned) and forgets the go.
void EndSearch() {
    StopEngine();
    RestoreRoot();
    nodeLimit = NO_NODE_LIMIT;
    current.active = false;
}

// Stops the search and answers with its result.
void AnswerSearch() {
    EndSearch();
    if (current.bookMove != MOVE_NONE) {
        AnswerBookMove(current.bookMove);
        current.bookMove = MOVE_NONE;
        ApplyTableOptions();
        return;
    }
    const ScoredMove result = moveStack[0];
    // A dead draw is not searched; the front end still gets a move.
    if (result.move == MOVE_NO_MATERIAL) {
        Send("info depth 0 score cp 0");
        Note("the game is drawn: no side can mate");
    }
    const Move move = PlayableMove(result.move);
    AnswerMove(move, result.score);
    ApplyTableOptions();
}

// A search still running is stopped and answered first, as "stop" would.
void FinishSearch() {
    if (current.active) AnswerSearch();
}

void SetDeadline(uint32_t now) {
    current.moveStart = now;
    current.deadline = now + static_cast<uint32_t>(ShortenedForFuzzing(CappedWait(timeBudget, moveTimeLimit, 0)));
}

bool PastDeadline() {
    return current.active && current.timed && !current.pondering && !current.ended &&
           static_cast<int32_t>(ProcessClock() - current.deadline) >= 0;
}

// The time is up: a root move that has just failed low gets the extra time
// the clock allows, once; otherwise bestmove.
void TimeUp() {
    if (!current.extraGiven) {
        current.extraGiven = true;
        if (const uint64_t extra = ExtraTimeForFailLow(current.moveStart); extra > 0) {
            LogLine("-M: FL - Extra time");
            current.deadline = ProcessClock() + static_cast<uint32_t>(ShortenedForFuzzing(extra));
            return;
        }
    }
    AnswerSearch();
}

void SearchEndedByItself() {
    current.ended = true;
    if (!current.waitForStop) AnswerSearch();
}

// ---- Commands --------------------------------------------------------------------------

void SendHandshake() {
    const Options defaults;
    Send("id name %s", ENGINE_NAME);
    Send("id author %s", ENGINE_AUTHOR);
    Send("option name Hash type spin default %u min %u max %u", DEFAULT_HASH_MB, MIN_HASH_MB, MAX_HASH_MB);
    Send("option name Ponder type check default %s", defaults.ponder ? "true" : "false");
    Send("option name OwnBook type check default %s", defaults.ownBook ? "true" : "false");
    Send("option name Clear Hash type button");
    Send("uciok");
}

bool ReadCheck(std::string_view value, bool& flag) {
    if (EqualsNoCase(value, "true")) flag = true;
    else if (EqualsNoCase(value, "false")) flag = false;
    else return false;
    return true;
}

void CommandSetOption(Words words) {
    std::string_view word;
    if (!words.Next(word) || word != "name") {
        Note("setoption: \"name\" expected");
        return;
    }
    // The name may have blanks in it: it runs up to "value".
    char name[ECHO + 1] = {};
    size_t nameLength = 0;
    while (words.Next(word) && word != "value") {
        if (nameLength > 0 && nameLength < ECHO) name[nameLength++] = ' ';
        const size_t n = std::min(word.size(), ECHO - nameLength);
        word.copy(name + nameLength, n);
        nameLength += n;
    }
    const std::string_view value = words.Remaining();
    const std::string valueText = Echo(value);
    bool flag;
    if (EqualsNoCase(name, "Hash")) {
        int64_t mb;
        if (!ReadInteger(value, mb) || mb < MIN_HASH_MB || mb > MAX_HASH_MB) {
            Note("Hash takes %u to %u MB, not \"%s\": ignored", MIN_HASH_MB, MAX_HASH_MB, valueText.c_str());
            return;
        }
#ifdef PELMOT_FUZZ
        mb = std::min<int64_t>(mb, FUZZ_LARGEST_HASH_MB);
#endif
        hashMbWanted = static_cast<uint32_t>(mb);
    } else if (EqualsNoCase(name, "Clear Hash")) {
        clearWanted = true;
    } else if (EqualsNoCase(name, "Ponder") || EqualsNoCase(name, "OwnBook")) {
        bool& option = EqualsNoCase(name, "Ponder") ? options.ponder : options.ownBook;
        if (!ReadCheck(value, flag)) {
            Note("%s takes true or false, not \"%s\": ignored", name, valueText.c_str());
            return;
        }
        option = flag;
        return;
    } else {
        Note("no option \"%s\": ignored", name);
        return;
    }
    if (Idle()) ApplyTableOptions();
}

void CommandNewGame(Words) {
    FinishSearch();
    lastMoveFromBook = 0;
    SetUpNewGame(START_FEN);
}

// "position startpos|fen FEN [moves M...]".
void CommandPosition(Words words) {
    FinishSearch();
    std::string_view word;
    char base[BASE_SIZE] = {};
    if (!words.Next(word)) {
        Note("position: \"startpos\" or \"fen\" expected");
        return;
    }
    if (word == "startpos") {
        std::snprintf(base, sizeof base, "%s", START_FEN);
    } else if (word == "fen") {
        // The FEN's fields up to "moves": the move counters, if any, are numbers.
        std::string text;
        int fields = 0;
        bool readable = true;
        while (words.Peek(word) && word != "moves") {
            words.Next(word);
            int64_t counter;
            if (++fields > 6 || (fields > 4 && !ReadInteger(word, counter))) readable = false;
            if (!text.empty()) text += ' ';
            text.append(word.substr(0, BASE_SIZE));
        }
        if (fields < 2 || !readable || text.size() >= BASE_SIZE) {
            Note("unreadable FEN \"%s\": the position stays as it was", Echo(text).c_str());
            return;
        }
        std::memcpy(base, text.c_str(), text.size() + 1);
    } else {
        Note("position: \"startpos\" or \"fen\" expected, not \"%s\"", Echo(word).c_str());
        return;
    }
    if (words.Next(word) && word != "moves")
        Note("position: \"moves\" expected, not \"%s\": no moves played", Echo(word).c_str());
    if (!word.empty() && word != "moves") return;

    // A game that continues the one on the board (or goes back within the
    // moves that can be taken back) keeps its table and book entries.
    if (std::strcmp(base, gameBase) == 0 && !gameRecordFull) {
        Words probe = words;
        int common = 0;
        while (common < gameLength && probe.Next(word) && SameMove(word, gameMoves[common])) ++common;
        const int back = gameLength - common;
        if (back == 0 || TakeBackGameMoves(back)) {
            gameLength = common;
            for (int i = 0; i < common; ++i) words.Next(word);
            PlayMoves(words);
            return;
        }
    }
    if (!SetUpNewGame(base)) {
        Note("unreadable FEN \"%s\": the position stays as it was", Echo(base).c_str());
        return;
    }
    PlayMoves(words);
}

void CommandGo(Words words) {
    const uint32_t now = ProcessClock();
    FinishSearch();
    if (gameBase[0] == 0) SetUpNewGame(START_FEN);
    const GoCommand go = ParseGo(words.Remaining());
    if (go.ignored[0]) Note("go: ignored %s", go.ignored);

    // A game over on the board is answered at once.
    Move legal[256];
    if (GenerateLegalMoves(legal) == 0) {
        CheckInfo check;
        ComputeCheckInfo(&check);
        Send("info depth 0 score %s", check.checkers ? "mate 0" : "cp 0");
        SendBestMove(MOVE_NONE, MOVE_NONE, 0);
        return;
    }
    const bool timed = SetGoClocks(go, pos.sideToMove);
    const Move book = options.ownBook && !go.infinite ? ChooseBookMove() : MOVE_NONE;
    if (book != MOVE_NONE && !go.ponder) {
        AnswerBookMove(book);
        return;
    }
    // The front end may go on playing a game drawn by repetition or the
    // fifty-move rule; the search then starts afresh from this position.
    const Move drawn = DrawTest(2);
    if (drawn == MOVE_REPETITION || drawn == MOVE_FIFTY) {
        Note(drawn == MOVE_REPETITION ? "the position has come three times: a draw can be claimed"
                                      : "fifty moves without a capture or pawn move: a draw can be claimed");
        current.rootReset = true;
        current.rootPlies = historyTop->reversiblePlies;
        historyTop->reversiblePlies = 0;
    }

    nodeLimit = go.nodes > 0 ? static_cast<uint64_t>(go.nodes) : NO_NODE_LIMIT;
    // The search's first iteration is the second ply.
    const int depth = go.depth > 0 ? static_cast<int>(std::clamp<int64_t>(go.depth, 2, 127)) : 127;
    goClock = now;
    lastIterationDepth = 0;
    current.active = true;
    current.pondering = go.ponder;
    current.waitForStop = go.infinite || go.ponder;
    current.timed = timed && !go.infinite;
    current.extraGiven = false;
    current.bookMove = book;
    SetDeadline(now);
    // Pondering in the book needs no search: the book move is the answer.
    current.ended = book != MOVE_NONE;
    if (current.ended) return;
    SetEngineState(go.ponder ? Pondering : Thinking);
    StartEngine(static_cast<uint8_t>(depth));
}

void CommandStop(Words) {
    if (current.active) AnswerSearch();
}

// The move pondered on was played: the search goes on as the real one,
// its budget counted from now.
void CommandPonderHit(Words) {
    if (!current.active || !current.pondering) {
        Note("ponderhit without a ponder search: ignored");
        return;
    }
    current.pondering = false;
    current.waitForStop = false;
    SetEngineState(Thinking);
    SetDeadline(ProcessClock());
    if (current.ended) AnswerSearch();
}

void CommandIsReady(Words) { Send("readyok"); }
void CommandUci(Words) { SendHandshake(); }
void Accepted(Words) {}

struct CommandRow {
    const char* name;
    void (*handler)(Words words);
};

const CommandRow COMMANDS[] = {
    {"isready", CommandIsReady}, {"position", CommandPosition}, {"go", CommandGo},
    {"stop", CommandStop},       {"ponderhit", CommandPonderHit}, {"ucinewgame", CommandNewGame},
    {"setoption", CommandSetOption}, {"uci", CommandUci},     {"debug", Accepted},
    {"register", Accepted},
};

// One line; false after "quit". Unknown words before a command are skipped,
// as the protocol asks.
bool Dispatch(std::string_view text) {
    Words words{text};
    const std::string_view all = words.Remaining();
    std::string_view word;
    while (words.Next(word)) {
        if (word == "quit") return false;
        for (const CommandRow& row : COMMANDS) {
            if (word != row.name) continue;
            const std::string_view skipped = Words{all.substr(0, word.data() - all.data())}.Remaining();
            if (!skipped.empty()) Note("unknown words ignored: %s", Echo(skipped).c_str());
            row.handler(words);
            return true;
        }
    }
    if (!all.empty()) Note("unknown command: %s", Echo(all).c_str());
    return true;
}

void Quit() {
    if (current.active) EndSearch();
    EndEngineThread();
}

// The state of a fresh session (a fuzzing run plays many in one process).
void ResetSession() {
    options = Options{};
    hashMbWanted = 0;
    clearWanted = false;
    gameBase[0] = 0;
    gameLength = 0;
    gameRecordFull = false;
    current = Search{};
    nodeLimit = NO_NODE_LIMIT;
    lineLength = 0;
    lineTooLong = false;
    lineTaken = false;
    chunkAt = chunkEnd = 0;
    inputEnded = false;
    if (HashBucketCount() != HashBucketsFor(DEFAULT_HASH_MB)) ResizeHashTable(DEFAULT_HASH_MB);
}

// With the input closed (commands piped in), a timed search still runs to
// its time; any other is stopped. Either way it is answered.
void AnswerAtEndOfInput() {
    while (current.active && current.timed && !current.pondering && !current.waitForStop && !current.ended) {
        const int32_t left = static_cast<int32_t>(current.deadline - ProcessClock());
        if (stoppedSignal.WaitFor(static_cast<uint64_t>(std::max(0, left))))
            current.ended = true;
        else
            TimeUp();
    }
    FinishSearch();
}

// Milliseconds to wait for input: until the deadline of a timed search.
int InputTimeout() {
    if (!current.active || !current.timed || current.pondering || current.ended) return -1;
    const int32_t left = static_cast<int32_t>(current.deadline - ProcessClock());
    return std::max(0, left);
}

}  // namespace

void FormatUciScore(char* out, size_t size, int score) {
    if (score > WINNING_MATE_SCORE) {
        const int plies = std::max(1, MATE_SCORE - score);
        std::snprintf(out, size, "mate %d", (plies + 1) / 2);
    } else if (score < -WINNING_MATE_SCORE) {
        const int plies = std::max(0, MATE_SCORE + score);
        std::snprintf(out, size, "mate %d", -((plies + 1) / 2));
    } else {
        std::snprintf(out, size, "cp %d", score);
    }
}

GoCommand ParseGo(std::string_view arguments) {
    GoCommand go;
    go.time[BLACK] = go.time[WHITE] = NOT_GIVEN;
    go.moveTime = NOT_GIVEN;
    Words words{arguments};
    std::string_view word;
    auto ignore = [&go](std::string_view ignored) {
        const size_t used = std::strlen(go.ignored);
        if (used + 1 + ignored.size() >= sizeof go.ignored) return;
        if (used > 0) go.ignored[used] = ' ';
        ignored.copy(go.ignored + used + (used > 0), ignored.size());
    };
    // The number after a keyword; the keyword is ignored without one.
    auto number = [&](std::string_view keyword, int64_t& value) {
        std::string_view next;
        if (words.Peek(next) && ReadInteger(next, value)) {
            words.Next(next);
            return true;
        }
        ignore(keyword);
        return false;
    };
    struct Field {
        const char* keyword;
        int64_t* value;
        int64_t least;  // smaller values are malformed
    };
    const Field fields[] = {
        {"wtime", &go.time[WHITE], INT64_MIN}, {"btime", &go.time[BLACK], INT64_MIN},
        {"winc", &go.increment[WHITE], 0},     {"binc", &go.increment[BLACK], 0},
        {"movestogo", &go.movesToGo, 1},       {"movetime", &go.moveTime, 0},
        {"depth", &go.depth, 1},               {"nodes", &go.nodes, 1},
    };
    while (words.Next(word)) {
        const Field* field = nullptr;
        for (const Field& f : fields)
            if (word == f.keyword) field = &f;
        if (field) {
            int64_t value;
            if (!number(word, value)) continue;
            if (value < field->least) {
                ignore(word);
                continue;
            }
            *field->value = value;
        } else if (word == "infinite") {
            go.infinite = true;
        } else if (word == "ponder") {
            go.ponder = true;
        } else if (word == "mate") {
            // Accepted and not used: the search looks for the best move.
            int64_t moves;
            if (number(word, moves)) ignore(word);
        } else if (word == "searchmoves") {
            ignore(word);
            std::string_view next;
            while (words.Peek(next) && IsMoveWord(next)) words.Next(next);
        } else {
            ignore(word);
        }
    }
    return go;
}

bool SetGoClocks(const GoCommand& go, Colour side) {
    bool timed = false;
    moveTimeLimit = NO_TIME_LIMIT;
    if (go.time[side] != NOT_GIVEN) {
        // The same arithmetic as xboard's "level" and "time": the clock in
        // centiseconds, 40 moves when the front end does not say.
        SetLevel(go.movesToGo, 0, go.increment[side]);
        SetClock(go.time[side] / 10);
        timed = true;
    }
    if (go.moveTime != NOT_GIVEN) {
        const uint32_t t = static_cast<uint32_t>(std::min<int64_t>(go.moveTime, NO_TIME_LIMIT - 1));
        const uint32_t wait = t - std::min(MOVE_TIME_MARGIN_MS, t / 2);
        timeBudget = timed ? std::min(timeBudget, wait) : wait;
        moveTimeLimit = std::min(moveTimeLimit, wait);
        timed = true;
    }
    return timed;
}

void UciInfo(const SearchReport& report) {
    int depth = report.depth;
    const char* bound = "";
    switch (report.kind) {
    case ReportKind::ITERATION: lastIterationDepth = depth; break;
    case ReportKind::FAIL_LOW: bound = " upperbound"; break;
    case ReportKind::FAIL_HIGH: bound = " lowerbound"; break;
    // The end repeats the last finished iteration with the final figures.
    case ReportKind::FINAL: depth = lastIterationDepth > 0 ? lastIterationDepth : std::max(1, depth - 1); break;
    }
    char score[32];
    FormatUciScore(score, sizeof score, report.score);
    // Only the moves of the principal variation, not the notes after them.
    char pv[PV_TEXT_SIZE] = " pv";
    Words words{report.pv ? report.pv : ""};
    std::string_view word;
    size_t used = std::strlen(pv);
    while (words.Next(word) && IsMoveWord(word) && used + 1 + word.size() < sizeof pv) {
        pv[used++] = ' ';
        word.copy(pv + used, word.size());
        used += word.size();
    }
    pv[used] = 0;
    const uint32_t elapsed = ProcessClock() - goClock;
    const unsigned long long nodes = report.nodes;
    Send("info depth %d score %s%s nodes %llu nps %llu time %u%s", depth, score, bound, nodes,
         nodes * 1000 / std::max<uint32_t>(elapsed, 1), elapsed, used > 3 ? pv : "");
}

void UciLoop() {
    ResetSession();
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        std::perror("pipe");
        return;
    }
    wakeRead = pipeEnds[0];
    wakeWrite = pipeEnds[1];
    searchEnded = WakeReader;
    searchReporter = UciInfo;
    // Every timed "go" brings the clock: the engine keeps none of its own.
    StopOwnClock();
    StartEngineAndTables();
    SendHandshake();

    for (;;) {
        if (current.active && !current.ended && stoppedSignal.WaitFor(0)) SearchEndedByItself();
        if (PastDeadline()) {
            TimeUp();
            continue;
        }
        const Input input = NextInput(InputTimeout());
        if (input == Input::END) {
            LogLine("-M: end of input");
            AnswerAtEndOfInput();
            break;
        }
        if (input != Input::LINE) continue;
        LogLine("::cmd:: %s", line);
        if (lineTooLong) {
            Note("a line longer than %zu characters: ignored", LINE_SIZE - 1);
            continue;
        }
        if (!Dispatch(std::string_view(line, lineLength))) break;
    }
    Quit();
    searchEnded = nullptr;
    close(wakeRead);
    close(wakeWrite);
    wakeRead = wakeWrite = -1;
}
