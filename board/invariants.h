// Consistency check of the global position, for tests and debug builds.
#pragma once

// Returns nullptr when every invariant holds, else a description of the first
// one that fails.
const char* CheckPositionInvariants();
