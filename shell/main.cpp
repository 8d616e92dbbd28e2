#include <csignal>
#include "board/log.h"
#include "gamefiles/outfile.h"
#include "shell/commandloop.h"

int main() {
    OpenLog();
    // xboard interrupts its engines with SIGINT; this engine reads its
    // commands in order and needs no interruption.
    std::signal(SIGINT, SIG_IGN);
    ReportFileSizeLimitAsWriteFailure();
    CommandLoop();
    return 0;
}
