// Shared by the fuzz targets: one-time set-up, the scratch folder every file
// lives in, and the report of a finding.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/invariants.h"
#include "board/makemove.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "board/tables.h"
#include "gamefiles/gamefile.h"
#include "gamefiles/setboard.h"
#include "movegen/legality.h"
#include "search/hashtable.h"
#include "shell/commandloop.h"
#include "shell/engine.h"
#include "shell/report.h"
#include "shell/timecontrol.h"
#include "tests/shell/game_state.h"

namespace fuzz {

// Folder, below the one the target is started in, that holds every file a
// target writes or lets the engine write.
constexpr char SCRATCH_FOLDER[] = "fuzz-scratch";

// A wrong result: said on standard error, then the process aborts, so that
// libFuzzer keeps the input as a crash.
[[noreturn]] inline void Finding(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] inline void Finding(const char* format, ...) {
    std::fputs("FINDING: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

// Builds the tables and enters the scratch folder, once. The engine's own
// output (conversion reports, protocol lines) goes nowhere.
inline void Prepare() {
    static const bool done = [] {
        InitTables();
        currentPly = plyRecords;
        mkdir(SCRATCH_FOLDER, 0755);
        if (chdir(SCRATCH_FOLDER) != 0) Finding("cannot enter the scratch folder %s", SCRATCH_FOLDER);
        if (!std::freopen("/dev/null", "w", stdout)) Finding("cannot silence standard output");
        return true;
    }();
    (void)done;
}

// Standard input becomes a stream on a pipe that holds the input and then
// ends, as a front end's pipe does when it closes: the UCI loop waits on the
// descriptor, so a stream in memory would not do. Input beyond what the pipe
// holds is dropped. Returns the front end's stream, for RestoreStandardInput.
inline std::FILE* FeedStandardInput(const void* data, size_t size) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) Finding("cannot make a pipe for the input");
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(ends[1], bytes, size);
        if (written <= 0) break;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    close(ends[1]);
    std::FILE* const frontEnd = stdin;
    stdin = fdopen(ends[0], "r");
    if (!stdin) Finding("cannot open the input as a stream");
    return frontEnd;
}

inline void RestoreStandardInput(std::FILE* frontEnd) {
    std::fclose(stdin);
    stdin = frontEnd;
}

// What a freshly started engine has before its first command.
inline void FreshProcessState() {
    pos = EmptyPosition();
    historyTop = positionHistory;
    *historyTop = HistoryEntry{pos.hashKey, MOVE_NONE, 0};
    SaveGameSnapshot();
    ForgetGameMoves();
    currentPly = plyRecords;
    ponderMove = MOVE_NONE;
    lastMoveFromBook = 0;
    ResetTimeControl();
    gameLimits = SearchLimits{};
    // A new process's table comes empty.
    ClearHashTable();
}

// One session of the command loop on input from a fresh process's state;
// afterwards the engine thread has ended, the position is consistent and
// is the game's position (no pondered move left on the board).
inline void RunSession(const void* input, size_t size) {
    FreshProcessState();
    std::FILE* const frontEnd = FeedStandardInput(input, size);
    CommandLoop();
    RestoreStandardInput(frontEnd);
    if (engineState.load() != Quitting) Finding("the session ended in engine state %d", engineState.load());
    if (ponderMove != MOVE_NONE) Finding("the session ended with a move pondered on");
    if (currentPly != plyRecords) Finding("the session ended with the ply records moved on");
    if (const char* fault = CheckPositionInvariants()) Finding("after the session: %s", fault);
    if (std::memcmp(gameBoard, pos.board, sizeof gameBoard) != 0 || gameSideToMove != pos.sideToMove ||
        gameCastleRights != pos.castleRights || gameEpSquare != pos.epSquare)
        Finding("after the session the game snapshot is not the position");
}

inline void WriteFile(const char* name, const void* data, size_t size) {
    std::FILE* file = std::fopen(name, "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        Finding("cannot write the scratch file %s", name);
}

inline std::string ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The parts of text between separators, empty ones included.
template <typename Each>
void ForEachField(const std::string& text, char separator, Each each) {
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        each(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return;
        start = end + 1;
    }
}

// The lines of text (the last one without a line end included), NUL bytes
// and all.
template <typename Each>
void ForEachLine(const std::string& text, Each each) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        each(text.substr(start, end - start));
        start = end + 1;
    }
}

// The start position as SetBoard gives it, set up once; PutStartBack
// returns to it without clearing the search tables again.
inline const GameState& StartState() {
    static const GameState start = [] {
        if (!SetBoard(START_FEN, false)) Finding("the start position is refused");
        return GameState::Now();
    }();
    return start;
}

inline void PutStartBack() {
    const GameState& start = StartState();
    pos = start.position;
    std::copy(start.history.begin(), start.history.end(), positionHistory);
    historyTop = positionHistory + start.history.size() - 1;
    SaveGameSnapshot();
}

// A GAME record as the format defines it, read without the engine's reader.
struct GameBytes {
    uint16_t header;
    std::vector<Move> moves;
};

// The records of GAME bytes up to the first one that is not whole or has a
// header no converter writes (result bits 0, more than 1023 moves); stops
// tells which of the two ended the list, if any.
enum class GameBytesEnd { WHOLE, CUT, BAD_HEADER };
inline std::vector<GameBytes> SplitGameBytes(const std::string& bytes, GameBytesEnd& end) {
    std::vector<GameBytes> games;
    auto word = [&](size_t at) {
        return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                     static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    size_t at = 0;
    end = GameBytesEnd::WHOLE;
    while (at < bytes.size()) {
        if (bytes.size() - at < 2) {
            end = GameBytesEnd::CUT;
            break;
        }
        GameBytes game{word(at), {}};
        const size_t count = game.header & 0x3FFF;
        if ((game.header >> 14) == 0 || count > GAME_MAX_MOVES) {
            end = GameBytesEnd::BAD_HEADER;
            break;
        }
        if (bytes.size() - at - 2 < 2 * count) {
            end = GameBytesEnd::CUT;
            break;
        }
        for (size_t i = 0; i < count; ++i) game.moves.push_back(static_cast<Move>(word(at + 2 + 2 * i)));
        games.push_back(game);
        at += 2 + 2 * count;
    }
    return games;
}

// True when every move is one of the generated legal moves of its position,
// played from the start position; the start position is put back.
inline bool LegalFromStart(const std::vector<Move>& moves) {
    PutStartBack();
    static PlyRecord records[GAME_MAX_MOVES + 1];
    bool legal = true;
    for (size_t i = 0; i < moves.size() && legal; ++i) {
        Move list[256];
        const int count = GenerateLegalMoves(list);
        legal = std::find(list, list + count, moves[i]) != list + count;
        if (legal) {
            SaveSnapshot(&records[i]);
            MakeMove(moves[i], &records[i]);
        }
    }
    PutStartBack();
    return legal;
}

}  // namespace fuzz
