// Playing strength below the engine's own: the levels UCI_LimitStrength and
// UCI_Elo choose. A weaker level searches fewer nodes and chooses among its
// best few root moves with noise that grows as the level falls, so that it
// misses what a weaker player misses rather than throwing away pieces.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "search/search.h"

// The span of UCI_Elo, on the scale of Stockfish's own UCI_Elo at ten
// seconds and a tenth a move: a beginner's level up to the engine's full
// strength, which scores about a third against Stockfish at 2000.
constexpr int WEAKEST_ELO = 1000;
constexpr int FULL_STRENGTH_ELO = 1900;

struct StrengthLevel {
    uint64_t nodes;  // per move, NO_NODE_LIMIT at full strength
    int lines;       // root moves scored exactly, to choose from
    int noise;       // centipawns: each line's score gets up to this much added
    int maxLoss;     // a line this much below the best is never chosen
};
StrengthLevel LevelForElo(int elo);

// One of the lines (best first, as the search left them) for the level;
// seed is the generator's state, advanced.
Move ChooseLevelMove(const RootLine* lines, int count, const StrengthLevel& level, uint64_t& seed);
