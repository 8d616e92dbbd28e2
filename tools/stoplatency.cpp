// Developer benchmark: how long the engine thread takes to stop a deep
// search once it is asked to, as the command loop asks when a move's time is
// up or the front end interrupts.
//
//   pelmot-stoplatency [STOPS]
//
// Each round sets up one of a few middlegame positions, starts an unlimited
// search on the engine thread, lets it run between 20 and 400 ms, then sets
// stopSearch and times the wait for the stopped signal. Prints the median,
// the 99th percentile and the worst case over STOPS rounds (200).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
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

}  // namespace

int main(int argc, char** argv) {
    const int stops = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    InitTables();
    // Thinking lines would only slow the rounds down.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    LaunchEngineThread();
    stoppedSignal.Wait();

    std::mt19937 random(7);
    std::vector<double> waits;
    for (int round = 0; round < stops; ++round) {
        SetBoard(POSITIONS[round % std::size(POSITIONS)], false);
        currentPly = plyRecords;
        SetEngineState(Thinking);
        StartEngine(127);
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 381));
        const auto asked = std::chrono::steady_clock::now();
        stopSearch = 1;
        stoppedSignal.Wait();
        waits.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count());
        SetEngineState(Idle);
    }
    SetEngineState(Quitting);
    startSignal.Set();
    JoinEngineThread();

    std::sort(waits.begin(), waits.end());
    std::fprintf(stderr, "stops %zu  median %.3f ms  99th percentile %.3f ms  worst %.3f ms\n", waits.size(),
                 waits[waits.size() / 2], waits[waits.size() * 99 / 100], waits.back());
    return 0;
}
