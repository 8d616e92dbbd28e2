// Consistency check of the global position, for tests and debug builds.
#pragma once

// Returns nullptr when every invariant holds, else a description of the first
// one that fails.
const char* CheckPositionInvariants();

struct Position;
// True when every field of the two positions but the EPD moves is equal: what
// an unmake must restore bit for bit.
bool SamePosition(const Position& a, const Position& b);
