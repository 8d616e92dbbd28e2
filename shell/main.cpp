#include <csignal>
#include "shell/commandloop.h"

int main() {
    // xboard interrupts its engines with SIGINT; this engine reads its
    // commands in order and needs no interruption.
    std::signal(SIGINT, SIG_IGN);
    CommandLoop();
    return 0;
}
