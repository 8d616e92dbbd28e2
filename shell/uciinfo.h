// UCI's info lines: the search's reports as the protocol writes them, and
// the rule that every bestmove follows a scored line of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "search/search.h"

// "cp S" or "mate N" (N in moves, negative when the side to move is mated)
// for a score from the side to move's view; matePlies, when not 0, is the
// length of the line that ends in the mate.
void FormatUciScore(char* out, size_t size, int score, int matePlies = 0);

// UCI's info line of one report of the search (the search's reporter).
void UciInfo(const SearchReport& report);

namespace uci {

// At "go", before the search starts: the clock its times count from, and
// the lines it shows.
void StartInfo(uint32_t goClock, int lines);
// At "ponderhit": the bestmove to come needs a scored line sent after it.
void InfoAfterPonderHit();
// Before bestmove, with the search stopped: the last scored line again,
// with the final figures, when none was sent since "go" or "ponderhit".
void SendScoredLineIfNone();

}  // namespace uci
