// Joining GAME files ("merge", pelmot-games only).
#pragma once

// Appends the games of the GAME files inputs[0..count) to gameName in their
// order, skipping games it already holds (the first copy stays). Every record
// is checked: a damaged one, or a move that is not legal, ends the merge with
// an error, and the GAME file keeps the games before it. True when every
// input was merged whole.
bool MergeGameFiles(const char* const* inputs, int count, const char* gameName);
