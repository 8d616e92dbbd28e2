// The fixed-depth bench: fixed positions searched to fixed depths. Its node
// total is the search's signature, and its speed a figure testing
// frameworks ask every engine for.
#pragma once

#include <cstdint>

#include "search/search.h"

struct BenchTotals {
    uint64_t nodes;
    double seconds;
    bool ok;  // every position could be set up

    double Nps() const { return seconds > 0 ? nodes / seconds : 0.0; }
};

// Searches the current position to depth on the calling thread, with no
// other limit, and returns the move.
Move SearchToDepth(int depth);

// Searches each position on the calling thread, printing a line per
// position, with the search's reports going to reporter (none: silent). The
// position and the tables are left as the last search left them.
BenchTotals RunBench(SearchReporter reporter = nullptr);

// "pelmot bench": the bench, then "N nodes M nps"; the exit status.
int BenchCommand();
