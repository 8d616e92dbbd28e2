// Developer benchmark: how long the engine thread takes to stop a deep
// search once it is asked to, as the command loop asks when a move's time is
// up or the front end interrupts.
//
//   pelmot-stoplatency [STOPS]
//   pelmot-stoplatency --uci ENGINE [STOPS]
//
// Each round sets up one of a few middlegame positions, starts an unlimited
// search on the engine thread, lets it run between 20 and 400 ms, then sets
// stopSearch and times the wait for the stopped signal. With --uci the
// engine program runs in UCI mode as a front end runs it, and a round times
// the whole way from writing "stop" after "go infinite" to reading
// "bestmove". Prints the median, the 99th percentile and the worst case
// over STOPS rounds (200).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "board/plyrecord.h"
#include "board/tables.h"
#include "gamefiles/setboard.h"
#include "search/search.h"
#include "shell/engine.h"

namespace {

constexpr const char* POSITIONS[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2N1PN2/PP1BBPPP/R2QK2R w KQ -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - -",
};

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// An engine program in UCI mode on two pipes.
struct UciEngine {
    pid_t pid = -1;
    std::FILE* in = nullptr;   // its standard input
    std::FILE* out = nullptr;  // its standard output

    bool Start(const char* program) {
        int toEngine[2], fromEngine[2];
        if (pipe(toEngine) != 0 || pipe(fromEngine) != 0) return false;
        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            dup2(toEngine[0], STDIN_FILENO);
            dup2(fromEngine[1], STDOUT_FILENO);
            close(toEngine[1]);
            close(fromEngine[0]);
            execl(program, program, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toEngine[0]);
        close(fromEngine[1]);
        in = fdopen(toEngine[1], "w");
        out = fdopen(fromEngine[0], "r");
        return in && out;
    }
    void Send(const std::string& line) {
        std::fputs((line + "\n").c_str(), in);
        std::fflush(in);
    }
    // Reads lines until one begins with prefix; false at the end of its output.
    bool WaitFor(const char* prefix) {
        char line[4096];
        while (std::fgets(line, sizeof line, out))
            if (std::strncmp(line, prefix, std::strlen(prefix)) == 0) return true;
        return false;
    }
    void Quit() {
        Send("quit");
        std::fclose(in);
        std::fclose(out);
        waitpid(pid, nullptr, 0);
    }
};

void PrintFigures(std::vector<double>& waits) {
    std::sort(waits.begin(), waits.end());
    std::fprintf(stderr, "stops %zu  median %.3f ms  99th percentile %.3f ms  worst %.3f ms\n", waits.size(),
                 waits[waits.size() / 2], waits[waits.size() * 99 / 100], waits.back());
}

int UciRounds(const char* program, int stops) {
    UciEngine engine;
    if (!engine.Start(program)) {
        std::fprintf(stderr, "cannot start %s\n", program);
        return 1;
    }
    engine.Send("uci");
    if (!engine.WaitFor("uciok")) {
        std::fprintf(stderr, "%s does not answer uci\n", program);
        return 1;
    }
    engine.Send("setoption name OwnBook value false");
    std::mt19937 random(7);
    std::vector<double> waits;
    for (int round = 0; round < stops; ++round) {
        engine.Send(std::string("position fen ") + POSITIONS[round % std::size(POSITIONS)]);
        engine.Send("go infinite");
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 381));
        const auto asked = Clock::now();
        engine.Send("stop");
        if (!engine.WaitFor("bestmove")) {
            std::fprintf(stderr, "%s ended without a bestmove\n", program);
            return 1;
        }
        waits.push_back(MillisecondsSince(asked));
    }
    engine.Quit();
    PrintFigures(waits);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--uci") == 0)
        return UciRounds(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 200);
    const int stops = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    InitTables();
    LaunchEngineThread();
    stoppedSignal.Wait();

    std::mt19937 random(7);
    std::vector<double> waits;
    for (int round = 0; round < stops; ++round) {
        SetBoard(POSITIONS[round % std::size(POSITIONS)], false);
        currentPly = plyRecords;
        SetEngineState(Thinking);
        StartEngine(SearchLimits{});
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 381));
        const auto asked = Clock::now();
        stopSearch = 1;
        stoppedSignal.Wait();
        waits.push_back(MillisecondsSince(asked));
        SetEngineState(Idle);
    }
    SetEngineState(Quitting);
    startSignal.Set();
    JoinEngineThread();

    PrintFigures(waits);
    return 0;
}
