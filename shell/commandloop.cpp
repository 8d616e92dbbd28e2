#include "shell/commandloop.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include "board/fen.h"
#include "board/log.h"
#include "board/movetext.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "gamefiles/game2pos.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/pgn2game.h"
#include "gamefiles/setboard.h"
#include "movegen/legality.h"
#include "search/hashtable.h"
#include "shell/engine.h"
#include "shell/report.h"
#include "shell/timecontrol.h"
#include "shell/uci.h"

namespace {

constexpr char TEST_POSITION[] = "4rr2/5ppk/1n6/1pQ4p/p2P3P/2P4R/1q3PP1/R5K1 w - -";

// A token, a file name or a "setboard" line that does not fit its buffer is
// never acted on: it is read to its end and dropped.
constexpr int TOKEN_SIZE = 256;
constexpr int LINE_SIZE = 256;

// ---- Reading standard input ------------------------------------------------

enum class Read { OK, TOO_LONG, END };

void SkipBlanks() {
    int c;
    while ((c = std::getchar()) != EOF && std::isspace(c)) {
    }
    if (c != EOF) std::ungetc(c, stdin);
}

// One whitespace-delimited word, cut to the buffer.
Read ReadWord(char* buffer, int size) {
    SkipBlanks();
    int n = 0, c;
    bool tooLong = false;
    while ((c = std::getchar()) != EOF && !std::isspace(c)) {
        if (n < size - 1)
            buffer[n++] = static_cast<char>(c);
        else
            tooLong = true;
    }
    // Leave the delimiter for the "setboard" line reader.
    if (c != EOF) std::ungetc(c, stdin);
    buffer[n] = 0;
    if (n == 0 && c == EOF) return Read::END;
    return tooLong ? Read::TOO_LONG : Read::OK;
}

// A decimal integer as "%d" reads it, across line ends; on anything else the
// character is left for the next read.
bool ReadNumber(long long& value) {
    SkipBlanks();
    int c = std::getchar();
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = std::getchar();
    }
    if (c == EOF || !std::isdigit(c)) {
        if (c != EOF) std::ungetc(c, stdin);
        return false;
    }
    long long v = 0;
    while (c != EOF && std::isdigit(c)) {
        if (v < 1000000000000LL) v = 10 * v + (c - '0');
        c = std::getchar();
    }
    if (c != EOF) std::ungetc(c, stdin);
    value = negative ? -v : v;
    return true;
}

// Seconds with an optional decimal fraction ("5", "0.5"), in milliseconds;
// digits past the millisecond are read and dropped.
bool ReadMilliseconds(long long& ms) {
    long long seconds;
    if (!ReadNumber(seconds)) return false;
    ms = seconds * 1000;
    int c = std::getchar();
    if (c == '.') {
        long long place = 100;
        while ((c = std::getchar()) != EOF && std::isdigit(c)) {
            ms += (c - '0') * place;
            place /= 10;
        }
    }
    if (c != EOF) std::ungetc(c, stdin);
    return true;
}

// A word that "time" read ahead and that turned out to be the next command.
char pendingToken[TOKEN_SIZE];
bool tokenPending = false;
Read pendingRead = Read::OK;

// The next token: the pending one, else one from the input.
Read NextToken(char* token) {
    if (!tokenPending) return ReadWord(token, TOKEN_SIZE);
    tokenPending = false;
    std::memcpy(token, pendingToken, TOKEN_SIZE);
    return pendingRead;
}

// The rest of the current input line with its line feed.
Read ReadRestOfLine(char* buffer, int size) {
    int n = 0, c;
    bool tooLong = false;
    while ((c = std::getchar()) != EOF) {
        if (n < size - 1)
            buffer[n++] = static_cast<char>(c);
        else
            tooLong = true;
        if (c == '\n') break;
    }
    buffer[n] = 0;
    return tooLong ? Read::TOO_LONG : Read::OK;
}

// ---- Commands -----------------------------------------------------------------

// Every command that changes the board stops the engine first; a ponder
// search stopped that way gives back the move it was pondering on, so the
// board is the game's board again.
void StopAndRestoreBoard() {
    StopEngine();
    TakeBackPonderMove();
}

// A set-up starts a new game: the moves before it cannot be taken back.
bool SetUpPosition(const char* text, bool reportBookError = true) {
    if (!SetBoard(text, true, reportBookError)) return false;
    ForgetGameMoves();
    return true;
}

void SetUpStartPosition() {
    StopAndRestoreBoard();
    SetUpPosition(START_FEN);
    ResetOwnClock();
    SetEngineState(Waiting);
}

void IllegalMove(const char* token) {
    std::printf("Illegal move: %s\n", token);
    LogLine("-M: Illegal move: %s", token);
}

void FrontEndMove(Move move, const char* token) {
    // The engine's clock runs from here.
    const uint32_t moveStart = ProcessClock();
    switch (engineState.load()) {
    case Pondering:
        if (move == ponderMove) {
            KeepPonderMoveAsGameMove();
            ponderMove = MOVE_NONE;
            LogLine("-GOOD PONDER");
            ReportEngineMove(moveStart);
            return;
        }
        LogLine("-BAD PONDER");
        StopAndRestoreBoard();
        if (!IsLegalMove(move)) {
            IllegalMove(token);
            SetEngineState(Waiting);
            return;
        }
        ApplyGameMove(move);
        ReportEngineMove(moveStart);
        return;
    case Waiting:
    case Idle: {
        if (!IsLegalMove(move)) {
            IllegalMove(token);
            return;
        }
        const bool engineToMove = engineState.load() == Waiting;
        ApplyGameMove(move);
        if (engineToMove && !PlayBookMove()) ReportEngineMove(moveStart);
        return;
    }
    default:
        return;
    }
}

void CommandTime() {
    long long clock;
    if (!ReadNumber(clock)) return;
    // Set before the next word is read: that read waits for the front end.
    SetClock(clock);
    // The opponent's clock follows as "otim N", on this line or the next,
    // and is not used. A tournament manager may report the engine's clock
    // alone; the word after it is then the next command.
    Read read = ReadWord(pendingToken, TOKEN_SIZE);
    if (read == Read::OK && std::strcmp(pendingToken, "otim") == 0) {
        long long opponent;
        ReadNumber(opponent);
    } else if (read != Read::END) {
        tokenPending = true;
        pendingRead = read;
    }
}

void CommandGo() {
    const uint32_t moveStart = ProcessClock();
    StopAndRestoreBoard();
    if (!PlayBookMove()) ReportEngineMove(moveStart);
}

// The base time of "level": minutes, or minutes:seconds; 0 when unreadable.
long long BaseTimeMs(const char* text) {
    char* end;
    const long long minutes = std::strtoll(text, &end, 10);
    long long seconds = 0;
    if (*end == ':') seconds = std::strtoll(end + 1, &end, 10);
    const long long ms = (minutes * 60 + seconds) * 1000;
    return minutes >= 0 && minutes < 1000000 && seconds >= 0 && seconds < 1000000 ? ms : 0;
}

// "sd N": the search ends after the iteration of depth N; "sd 1" searches
// a single ply. It holds until the next "sd" or "new".
void CommandDepth() {
    long long depth;
    if (!ReadNumber(depth)) return;
    gameLimits.depth = static_cast<int>(std::clamp<long long>(depth, 1, MAX_ITERATION));
}

// "st N": N seconds a move (a fraction allowed), whatever the clock says,
// within its limit; until "level" or another "st".
void CommandMoveTime() {
    long long ms;
    if (ReadMilliseconds(ms)) SetMoveTime(ms);
}

void CommandNew() {
    gameLimits.depth = MAX_ITERATION;
    SetUpStartPosition();
}

void CommandLevel() {
    long long moves = 0, increment = 0;
    char base[TOKEN_SIZE];
    if (!ReadNumber(moves)) return;
    ReadWord(base, sizeof base);
    ReadMilliseconds(increment);
    SetLevel(moves, BaseTimeMs(base), increment);
}

// "undo" (one move, in force mode) and "remove" (the last two, the
// opponent's and the engine's, in playing mode). A takeback keeps the mode:
// a playing engine waits for the opponent's move again, one in force mode
// stays there. With fewer moves in the game nothing happens.
//
// After a colour command changed the side to move, the moves before it are
// not kept: a takeback past it takes back the moves after it and nothing
// else, so that the board is as near the front end's as the engine knows.
void CommandTakeBack(int moves) {
    const int kept = GameMovesKept();
    if (kept < moves) {
        LogLine("-M: cannot take back %d move%s: %d kept", moves, moves == 1 ? "" : "s", kept);
        if (!GameMovesCut() || kept == 0) return;
        moves = kept;
    }
    const bool playing = engineState.load() != Idle;
    StopAndRestoreBoard();
    TakeBackGameMoves(moves);
    SetEngineState(playing ? Waiting : Idle);
}

void CommandSetboard() {
    StopAndRestoreBoard();
    char text[LINE_SIZE];
    Read read = ReadRestOfLine(text, sizeof text);
    LogLine("setboard %s", text);
    if (read != Read::OK || !SetUpPosition(text)) LogLine("-M: tellusererror Illegal position");
}

void CommandQuit() {
    StopAndRestoreBoard();
    EndEngineThread();
}

// "white" and "black". Front ends send the side already to move before
// "go" (the engine then plays it), which changes nothing, so moves can still
// be taken back. Naming the other side changes the side to move; the moves
// before that were made with the other side to move and are not kept,
// unless the next colour command puts the side back with nothing played in
// between: the board is then the game's again, with all its moves.
void CommandSide(Colour side) {
    StopAndRestoreBoard();
    if (pos.sideToMove == side) return;
    if (!UndoCutGameMoves()) CutGameMoves();
    pos.sideToMove = side;
    gameSideToMove = side;
}

// The two file names of a tool command; false when either does not fit.
bool ReadFileNames(char* first, char* second) {
    Read a = ReadWord(first, TOKEN_SIZE);
    Read b = ReadWord(second, TOKEN_SIZE);
    if (a == Read::OK && b == Read::OK) return true;
    std::printf("File name missing or too long\n");
    LogLine("-M: file name missing or too long");
    return false;
}

template <typename Tool>
void RunTool(Tool tool) {
    StopAndRestoreBoard();
    char first[TOKEN_SIZE], second[TOKEN_SIZE];
    if (!ReadFileNames(first, second)) return;
    // The tools work on the board.
    ForgetGameMoves();
    // The tools report their own errors; this only keeps an unexpected one
    // from ending the engine.
    try {
        tool(first, second);
    } catch (const std::exception& error) {
        std::printf("ERROR: %s\n", error.what());
        LogLine("ERROR: %s", error.what());
    }
}

void CommandTest() {
    StopAndRestoreBoard();
    movesPerSession = 1;
    timeIncrement = 0;
    SetUpPosition(TEST_POSITION);
    StopOwnClock();
    timeBudget = TestPositionBudget();
    moveTimeLimit = NO_TIME_LIMIT;
    SetEngineState(Waiting);
    ponderEnabled = 0;
}

// The commands after "time" and the moves, tried in this order. A prefix
// command also accepts longer tokens that begin with its keyword.
enum Match { PREFIX, EXACT };
struct CommandRow {
    const char* keyword;
    Match match;
    void (*handler)();
};

const CommandRow COMMANDS[] = {
    {"go", PREFIX, CommandGo},
    {"new", PREFIX, CommandNew},
    {"result", PREFIX, SetUpStartPosition},
    {"level", PREFIX, CommandLevel},
    {"sd", EXACT, CommandDepth},
    {"st", EXACT, CommandMoveTime},
    {"force", PREFIX, StopAndRestoreBoard},
    {"setboard", PREFIX, CommandSetboard},
    {"easy", EXACT, [] { ponderEnabled = 0; }},
    {"hard", EXACT, [] { ponderEnabled = 1; }},
    {"quit", PREFIX, CommandQuit},
    {"white", PREFIX, [] { CommandSide(WHITE); }},
    {"black", PREFIX, [] { CommandSide(BLACK); }},
    {"pgn2game", EXACT, [] {
         RunTool([](const char* pgn, const char* game) {
             int total = 0;
             ConvertPgnFile(pgn, game, total);
         });
     }},
    {"pgnlist2game", EXACT, [] { RunTool(ConvertPgnList); }},
    {"game2pgn", EXACT, [] { RunTool(GameToPgn); }},
    {"game2pos", EXACT, [] { RunTool(GameToPositions); }},
    {"benchmark", EXACT, [] {
         StopAndRestoreBoard();
         std::printf("Define __STAT\n");
     }},
    {"test", EXACT, CommandTest},
    {"undo", EXACT, [] { CommandTakeBack(1); }},
    {"remove", EXACT, [] { CommandTakeBack(2); }},
};

bool Matches(const CommandRow& row, const char* token) {
    if (row.match == EXACT) return std::strcmp(token, row.keyword) == 0;
    return std::strncmp(token, row.keyword, std::strlen(row.keyword)) == 0;
}

// One token: true to go on reading, false after "quit".
bool Dispatch(const char* token) {
    if (std::strncmp(token, "time", 4) == 0) {
        CommandTime();
        return true;
    }
    int state = engineState.load();
    if (state != Thinking && state != Quitting) {
        Move move = TextToMove(token);
        if (move != MOVE_NONE) {
            FrontEndMove(move, token);
            return true;
        }
    }
    for (const CommandRow& row : COMMANDS) {
        if (Matches(row, token)) {
            row.handler();
            return row.handler != CommandQuit;
        }
    }
    return true;
}

}  // namespace

Protocol StartUp() {
    lastMoveFromBook = 0;
    SetEngineState(Waiting);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::fflush(nullptr);

    char token[TOKEN_SIZE] = {};
    ReadWord(token, sizeof token);
    LogLine("::cmd:: %s", token);
    if (std::strcmp(token, "uci") == 0) return Protocol::UCI;
    if (std::strncmp(token, "xboard", 6) != 0) std::printf("Engine works only with xboard protocol ver. 2\n");
    std::printf("\n");
    static const char* const FEATURES[][2] = {
        {"done", "0"}, {"setboard", "1"}, {"myname", "\"Pelmot " PELMOT_VERSION "\""}};
    for (const auto& feature : FEATURES) std::printf("feature %s=%s\n", feature[0], feature[1]);

    searchReporter = XboardThinkingLine;
    StartEngineAndTables();
    // The board is ready for moves or "go" at once, as after "new": some
    // front ends never send "new". A missing book is reported when a game
    // is started with "new", not in the handshake.
    SetUpPosition(START_FEN, false);
    ResetOwnClock();
    std::printf("feature done=1\n");
    return Protocol::XBOARD;
}

void CommandLoop() {
    ponderEnabled = 1;
    SetEngineState(Idle);
    if (StartUp() == Protocol::UCI) {
        UciLoop();
        return;
    }
    char token[TOKEN_SIZE] = {};
    for (;;) {
        Read read = NextToken(token);
        // The front end closing the pipe ends the engine as "quit" does.
        if (read == Read::END) {
            LogLine("-M: end of input");
            CommandQuit();
            return;
        }
        LogLine("::cmd:: %s", token);
        if (read == Read::TOO_LONG) continue;
        if (!Dispatch(token)) return;
    }
}
