// The UCI protocol: a second front door to the same engine, chosen by a
// first word "uci". Its reading and writing live here; the engine control,
// the game, the clock arithmetic and the move choice are shared with xboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "board/types.h"
#include "search/search.h"

// Runs the UCI session after the first word: the handshake, then commands
// until "quit" or the end of the input.
void UciLoop();

// "cp S" or "mate N" (N in moves, negative when the side to move is mated)
// for a score from the side to move's view.
void FormatUciScore(char* out, size_t size, int score);

// The arguments of "go". Times are in milliseconds; -1 or 0 where a word
// was not given.
struct GoCommand {
    int64_t time[2] = {-1, -1};  // clocks by colour (BLACK, WHITE)
    int64_t increment[2] = {0, 0};
    int64_t movesToGo = 0;
    int64_t moveTime = -1;
    int64_t depth = 0;
    int64_t nodes = 0;
    bool infinite = false;
    bool ponder = false;
    // The words that were not understood or are not used, for a note.
    char ignored[128] = {};
};
GoCommand ParseGo(std::string_view arguments);
// Sets the shared budget and limit (timecontrol.h) for a search by side;
// false when the command gives it no time to keep to.
bool SetGoClocks(const GoCommand& go, Colour side);

// UCI's info line of one report of the search.
void UciInfo(const SearchReport& report);
