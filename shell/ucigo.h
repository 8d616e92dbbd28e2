// UCI's "go": its words read into one value, and the clock it gives.
#pragma once

#include <cstdint>
#include <string_view>

#include "board/types.h"
#include "search/search.h"

// The arguments of "go". Times are in milliseconds; -1 or 0 where a word
// was not given.
struct GoCommand {
    int64_t time[2] = {-1, -1};  // clocks by colour (BLACK, WHITE)
    int64_t increment[2] = {0, 0};
    int64_t movesToGo = 0;
    int64_t moveTime = -1;
    int64_t depth = 0;
    int64_t nodes = 0;
    int64_t mate = 0;            // moves
    bool infinite = false;
    bool ponder = false;
    // The moves after "searchmoves", as the front end wrote them.
    int searchMoveCount = 0;
    char searchMoves[MAX_ROOT_MOVES][6] = {};
    // The words that were not understood or are not used, for a note.
    char ignored[128] = {};
};
GoCommand ParseGo(std::string_view arguments);
// Sets the shared budget and limit (timecontrol.h) for a search by side;
// false when the command gives it no time to keep to.
bool SetGoClocks(const GoCommand& go, Colour side);
