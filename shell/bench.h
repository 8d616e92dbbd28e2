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
};

// Searches each position on the calling thread, printing a line per
// position, with the search's reports going to reporter (none: silent). The
// position and the tables are left as the last search left them.
BenchTotals RunBench(SearchReporter reporter = nullptr);

// "pelmot bench": the bench, then "N nodes M nps"; the exit status.
int BenchCommand();
