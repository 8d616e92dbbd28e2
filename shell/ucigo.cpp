// The words of "go" are read by a pure function, so that every limit and
// every malformed word can be tested without an engine.
#include "shell/ucigo.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "shell/timecontrol.h"
#include "shell/ucilines.h"

using namespace uci;

namespace {

constexpr int64_t NOT_GIVEN = INT64_MIN;

}  // namespace

GoCommand ParseGo(std::string_view arguments) {
    GoCommand go;
    go.time[BLACK] = go.time[WHITE] = NOT_GIVEN;
    go.moveTime = NOT_GIVEN;
    Words words{arguments};
    std::string_view word;
    auto ignore = [&go](std::string_view ignored) {
        const size_t used = std::strlen(go.ignored);
        if (used + 1 + ignored.size() >= sizeof go.ignored) return;
        if (used > 0) go.ignored[used] = ' ';
        ignored.copy(go.ignored + used + (used > 0), ignored.size());
    };
    // The number after a keyword; the keyword is ignored without one.
    auto number = [&](std::string_view keyword, int64_t& value) {
        std::string_view next;
        if (words.Peek(next) && ReadInteger(next, value)) {
            words.Next(next);
            return true;
        }
        ignore(keyword);
        return false;
    };
    struct Field {
        const char* keyword;
        int64_t* value;
        int64_t least;  // smaller values are malformed
    };
    const Field fields[] = {
        {"wtime", &go.time[WHITE], INT64_MIN}, {"btime", &go.time[BLACK], INT64_MIN},
        {"winc", &go.increment[WHITE], 0},     {"binc", &go.increment[BLACK], 0},
        {"movestogo", &go.movesToGo, 1},       {"movetime", &go.moveTime, 0},
        {"depth", &go.depth, 1},               {"nodes", &go.nodes, 1},
        {"mate", &go.mate, 1},
    };
    while (words.Next(word)) {
        const Field* field = nullptr;
        for (const Field& f : fields)
            if (word == f.keyword) field = &f;
        if (field) {
            int64_t value;
            if (!number(word, value)) continue;
            if (value < field->least) {
                ignore(word);
                continue;
            }
            *field->value = value;
        } else if (word == "infinite") {
            go.infinite = true;
        } else if (word == "ponder") {
            go.ponder = true;
        } else if (word == "searchmoves") {
            std::string_view next;
            while (words.Peek(next) && IsMoveWord(next)) {
                words.Next(next);
                if (go.searchMoveCount < MAX_ROOT_MOVES) next.copy(go.searchMoves[go.searchMoveCount++], next.size());
            }
            if (go.searchMoveCount == 0) ignore(word);
        } else {
            ignore(word);
        }
    }
    return go;
}

bool SetGoClocks(const GoCommand& go, Colour side) {
    bool timed = false;
    moveTimeLimit = NO_TIME_LIMIT;
    if (go.time[side] != NOT_GIVEN) {
        // The same arithmetic as xboard's "level" and "time": the clock in
        // centiseconds, 40 moves when the front end does not say.
        SetLevel(go.movesToGo, 0, go.increment[side]);
        SetClock(go.time[side] / 10);
        timed = true;
    }
    if (go.moveTime != NOT_GIVEN) {
        const uint32_t wait = FixedTimeWait(go.moveTime);
        timeBudget = timed ? std::min(timeBudget, wait) : wait;
        moveTimeLimit = std::min(moveTimeLimit, wait);
        timed = true;
    }
    return timed;
}
