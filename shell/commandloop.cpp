#include "shell/commandloop.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <exception>
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

namespace {

constexpr char START_POSITION[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
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

void SetUpStartPosition() {
    StopAndRestoreBoard();
    SetBoard(START_POSITION, true);
    engineState = Waiting;
}

void IllegalMove(const char* token) {
    std::printf("Illegal move: %s\n", token);
    LogLine("-M: Illegal move: %s", token);
}

void FrontEndMove(Move move, const char* token) {
    switch (engineState.load()) {
    case Pondering:
        if (move == ponderMove) {
            ponderMove = MOVE_NONE;
            LogLine("-GOOD PONDER");
            ReportEngineMove();
            return;
        }
        LogLine("-BAD PONDER");
        StopAndRestoreBoard();
        if (!IsLegalMove(move)) {
            IllegalMove(token);
            engineState = Waiting;
            return;
        }
        ApplyGameMove(move);
        ReportEngineMove();
        return;
    case Waiting:
        if (!IsLegalMove(move)) {
            IllegalMove(token);
            return;
        }
        ApplyGameMove(move);
        if (!PlayBookMove()) ReportEngineMove();
        return;
    case Idle:
        if (!IsLegalMove(move)) {
            IllegalMove(token);
            return;
        }
        ApplyGameMove(move);
        return;
    default:
        return;
    }
}

void CommandTime() {
    long long clock, opponent;
    char keyword[TOKEN_SIZE];
    if (!ReadNumber(clock)) return;
    ReadWord(keyword, sizeof keyword);
    ReadNumber(opponent);
    timeBudget = BudgetFromClock(clock);
}

void CommandGo() {
    StopAndRestoreBoard();
    if (!PlayBookMove()) ReportEngineMove();
}

void CommandLevel() {
    long long moves = 0, increment = 0;
    char base[TOKEN_SIZE];
    if (!ReadNumber(moves)) return;
    // The base time, in minutes or minutes:seconds, has no effect.
    ReadWord(base, sizeof base);
    ReadNumber(increment);
    SetLevel(moves, increment);
}

void CommandSetboard() {
    StopAndRestoreBoard();
    char text[LINE_SIZE];
    Read read = ReadRestOfLine(text, sizeof text);
    LogLine("setboard %s", text);
    if (read != Read::OK || !SetBoard(text, true)) LogLine("-M: tellusererror Illegal position");
}

void CommandQuit() {
    StopAndRestoreBoard();
    engineState = Quitting;
    StartEngine(128);
    JoinEngineThread();
}

void CommandSide(Colour side) {
    StopAndRestoreBoard();
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
    SetBoard(TEST_POSITION, true);
    timeBudget = TestPositionBudget();
    engineState = Waiting;
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
    {"new", PREFIX, SetUpStartPosition},
    {"result", PREFIX, SetUpStartPosition},
    {"level", PREFIX, CommandLevel},
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

bool StartUp() {
    lastMoveFromBook = 0;
    engineState = Waiting;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::fflush(nullptr);

    char token[TOKEN_SIZE] = {};
    ReadWord(token, sizeof token);
    LogLine("::cmd:: %s", token);
    if (std::strncmp(token, "xboard", 6) != 0) std::printf("Engine works only with xboard protocol ver. 2\n");
    std::printf("\n");
    static const char* const FEATURES[][2] = {{"done", "0"}, {"setboard", "1"}};
    for (const auto& feature : FEATURES) std::printf("feature %s=%s\n", feature[0], feature[1]);

    engineState = Waiting;
    currentPly = plyRecords;
    LaunchEngineThread();
    InitTables();
    ClearHashTable();
    std::printf("feature done=1\n");
    return true;
}

void CommandLoop() {
    ponderEnabled = 1;
    engineState = Idle;
    StartUp();
    char token[TOKEN_SIZE] = {};
    for (;;) {
        Read read = ReadWord(token, sizeof token);
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
