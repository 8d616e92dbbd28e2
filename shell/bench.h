// The fixed-depth bench: fixed positions searched to fixed depths. Its node
// total is the search's signature, and its speed a figure testing
// frameworks ask every engine for.
#pragma once

#include <cstdint>

struct BenchTotals {
    uint64_t nodes;
    double seconds;
    bool ok;  // every position could be set up
};

// Searches each position on the calling thread with the search silent,
// printing a line per position; thinking lines only when verbose. The
// position and the tables are left as the last search left them.
BenchTotals RunBench(bool verbose);

// "pelmot bench": the bench, then "N nodes M nps"; the exit status.
int BenchCommand();
