#include <csignal>
#include <cstdio>
#include <cstring>
#include "board/log.h"
#include "gamefiles/outfile.h"
#include "shell/bench.h"
#include "shell/commandloop.h"

int main(int argc, char** argv) {
    // "pelmot bench": the fixed-depth bench, for testing frameworks; it
    // leaves the engine's log alone.
    if (argc > 1 && std::strcmp(argv[1], "bench") == 0) return BenchCommand();
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: pelmot          the engine, for front ends speaking xboard or UCI\n"
                    "       pelmot bench    the fixed-depth bench: a line per position, then \"N nodes M nps\"\n");
        return 0;
    }
    OpenLog();
    // Front ends pass no arguments; any others are noted and the engine
    // starts as usual.
    for (int i = 1; i < argc; ++i) LogLine("-M: argument ignored: %.64s", argv[i]);
    // xboard interrupts its engines with SIGINT; this engine reads its
    // commands in order and needs no interruption.
    std::signal(SIGINT, SIG_IGN);
    ReportFileSizeLimitAsWriteFailure();
    CommandLoop();
    return 0;
}
