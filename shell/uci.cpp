// The UCI session. The main thread reads the front end's lines and keeps
// reading while the engine thread searches: it waits for input with a time
// out at the search's deadline, and the engine thread wakes it through a
// pipe when a search returns by itself, so that "stop", "isready",
// "ponderhit" and "quit" are answered at once and every budget is kept.
#include "shell/uci.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
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
#include "shell/bench.h"
#include "shell/engine.h"
#include "shell/events.h"
#include "shell/report.h"
#include "shell/strength.h"
#include "shell/timecontrol.h"
#include "shell/ucilines.h"
#include "shell/ucioptions.h"

using namespace uci;

namespace {

constexpr char ENGINE_NAME[] = "Pelmot " PELMOT_VERSION;
constexpr char ENGINE_AUTHOR[] = "the Pelmot developers";

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
    // Below full strength: the level that chooses among the search's lines.
    bool limited = false;
    StrengthLevel level{};
};
Search current;
// The state of the generator behind the weaker levels' choices.
uint64_t levelSeed = 1;

bool Idle() { return !current.active; }

void RestoreRoot() {
    if (current.rootReset) historyTop->reversiblePlies = current.rootPlies;
    current.rootReset = false;
}

// The bestmove line, with the reply the engine expects whenever it has one:
// the front end may ponder on it or show it as a hint.
void AnswerMove(Move move, int score) { SendBestMove(move, ExpectedReplyAfter(move), score); }

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
    } else {
        SendScoredLineIfNone();
    }
    Move chosen = result.move;
    if (current.limited && !IsSpecialMove(chosen))
        chosen = ChooseLevelMove(rootLines, rootLineCount, current.level, levelSeed);
    if (chosen != result.move) {
        char text[8];
        MoveToText(text, chosen);
        LogLine("-M: the level plays %s", text);
    }
    const Move move = PlayableMove(chosen);
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
    Send("id name %s", ENGINE_NAME);
    Send("id author %s", ENGINE_AUTHOR);
    SendOptions();
    Send("uciok");
}

void CommandSetOption(Words words) {
    std::string_view word;
    if (!words.Next(word) || word != "name") {
        Note("setoption: \"name\" expected");
        return;
    }
    // The name may have blanks in it: it runs up to "value".
    std::string name;
    while (words.Next(word) && word != "value") {
        if (!name.empty()) name += ' ';
        name.append(word.substr(0, ECHO));
    }
    if (SetOption(name, words.Remaining()) && Idle()) ApplyTableOptions();
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

// The root moves of "searchmoves" that are legal here; a note names the
// others. None legal: every move is searched.
void RestrictRootMoves(const GoCommand& go, SearchLimits& limits) {
    for (int i = 0; i < go.searchMoveCount; ++i) {
        const Move move = TextToMove(go.searchMoves[i]);
        if (move != MOVE_NONE && IsLegalMove(move)) {
            limits.rootMoves[limits.rootMoveCount++] = move;
        } else {
            Note("searchmoves: %s is not a legal move here", go.searchMoves[i]);
        }
    }
}

// The limits of a search for "go" and the options: a weaker level searches
// fewer nodes and more lines to choose from.
SearchLimits LimitsForGo(const GoCommand& go) {
    SearchLimits limits;
    limits.nodes = go.nodes > 0 ? static_cast<uint64_t>(go.nodes) : NO_NODE_LIMIT;
    limits.depth = go.depth > 0 ? static_cast<int>(std::min<int64_t>(go.depth, MAX_ITERATION)) : MAX_ITERATION;
    limits.lines = options.multiPv;
    RestrictRootMoves(go, limits);
    current.limited = options.limitStrength && options.elo < FULL_STRENGTH_ELO;
    if (current.limited) {
        current.level = LevelForElo(options.elo);
        limits.nodes = std::min(limits.nodes, current.level.nodes);
        limits.lines = std::max(limits.lines, current.level.lines);
    }
    return limits;
}

void CommandGo(Words words) {
    const uint32_t now = ProcessClock();
    FinishSearch();
    if (gameBase[0] == 0) SetUpNewGame(START_FEN);
    const GoCommand go = ParseGo(words.Remaining());
    if (go.ignored[0]) Note("go: ignored %s", go.ignored);

    // A game over on the board is answered at once.
    Move legal[MAX_LEGAL_MOVES];
    if (GenerateLegalMoves(legal) == 0) {
        CheckInfo check;
        ComputeCheckInfo(&check);
        Send("info depth 0 score %s", check.checkers ? "mate 0" : "cp 0");
        SendBestMove(MOVE_NONE, MOVE_NONE, 0);
        return;
    }
    const bool timed = SetGoClocks(go, pos.sideToMove);
    // Analysis wants the search's own view: no book then, nor for a search
    // of chosen moves or for a mate, nor when several lines are asked for
    // (ChessX analyses with "go movetime" and UCI_AnalyseMode off).
    const bool analysis =
        options.analyseMode || go.infinite || go.searchMoveCount > 0 || go.mate > 0 || options.multiPv > 1;
    const Move book = options.ownBook && !analysis ? ChooseBookMove() : MOVE_NONE;
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

    const SearchLimits limits = LimitsForGo(go);
    StartInfo(now, options.multiPv);
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
    StartEngine(limits);
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
    InfoAfterPonderHit();
    SetEngineState(Thinking);
    SetDeadline(ProcessClock());
    if (current.ended) AnswerSearch();
}

void CommandIsReady(Words) { Send("readyok"); }
void CommandUci(Words) { SendHandshake(); }
void Accepted(Words) {}

// "bench": the fixed-depth bench on this thread, then the game as it was.
void CommandBench(Words) {
    FinishSearch();
    const BenchTotals totals = RunBench();
    Send("%llu nodes %.0f nps", static_cast<unsigned long long>(totals.nodes), totals.Nps());
    currentPly = plyRecords;
    SetUpGameAgain();
}

struct CommandRow {
    const char* name;
    void (*handler)(Words words);
};

const CommandRow COMMANDS[] = {
    {"isready", CommandIsReady}, {"position", CommandPosition}, {"go", CommandGo},
    {"stop", CommandStop},       {"ponderhit", CommandPonderHit}, {"ucinewgame", CommandNewGame},
    {"setoption", CommandSetOption}, {"uci", CommandUci},     {"debug", Accepted},
    {"register", Accepted},      {"bench", CommandBench},
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
    ResetOptions();
    // Each session's weaker levels choose differently.
    levelSeed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) | 1;
    gameBase[0] = 0;
    gameLength = 0;
    gameRecordFull = false;
    current = Search{};
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

void UciLoop() {
    ResetSession();
    if (!OpenInput()) return;
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
        const std::string_view text = InputLine();
        LogLine("::cmd:: %.*s", static_cast<int>(text.size()), text.data());
        if (InputLineTooLong()) {
            Note("a line longer than %zu characters: ignored", LINE_SIZE - 1);
            continue;
        }
        if (!Dispatch(text)) break;
    }
    Quit();
    searchEnded = nullptr;
    CloseInput();
}
