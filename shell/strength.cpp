#include "shell/strength.h"

#include <algorithm>
#include <cmath>

namespace {

// Nodes per move at a reference level, and the levels between one halving
// of them and the next (from matches against Stockfish's own levels).
constexpr int REFERENCE_ELO = 1700;
constexpr double NODES_AT_REFERENCE = 41000;
constexpr double ELO_PER_HALVING = 70;
// The search always finishes its second iteration; fewer nodes change nothing.
constexpr double FEWEST_NODES = 64;
// Root moves the weaker levels choose from.
constexpr int LEVEL_LINES = 4;
// Noise begins below this level and grows by NOISE_PER_ELO centipawns per
// point below it.
constexpr int NOISE_FROM_ELO = 1850;
constexpr double NOISE_PER_ELO = 0.25;
// A line worse than the best by more than the noise and this margin is
// never played, however weak the level.
constexpr int LOSS_MARGIN = 20;

// xorshift64*: quick, and good enough to vary a weak player's choices.
uint64_t NextRandom(uint64_t& state) {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1DULL;
}

}  // namespace

StrengthLevel LevelForElo(int elo) {
    if (elo >= FULL_STRENGTH_ELO) return {NO_NODE_LIMIT, 1, 0, 0};
    elo = std::max(elo, WEAKEST_ELO);
    const double nodes = NODES_AT_REFERENCE * std::exp2((elo - REFERENCE_ELO) / ELO_PER_HALVING);
    const int noise = static_cast<int>(std::max(0, NOISE_FROM_ELO - elo) * NOISE_PER_ELO);
    return {static_cast<uint64_t>(std::max(nodes, FEWEST_NODES)), noise > 0 ? LEVEL_LINES : 1, noise,
            noise + LOSS_MARGIN};
}

Move ChooseLevelMove(const RootLine* lines, int count, const StrengthLevel& level, uint64_t& seed) {
    if (count <= 0) return MOVE_NONE;
    if (level.noise <= 0 || count == 1) return lines[0].move;
    const int best = lines[0].score;
    Move chosen = lines[0].move;
    int chosenValue = best + static_cast<int>(NextRandom(seed) % (level.noise + 1));
    for (int i = 1; i < count; ++i) {
        // A mate is never given away and a mate against is never chosen.
        if (best - lines[i].score > level.maxLoss || lines[i].score < -WINNING_MATE_SCORE) continue;
        const int value = lines[i].score + static_cast<int>(NextRandom(seed) % (level.noise + 1));
        if (value > chosenValue) {
            chosen = lines[i].move;
            chosenValue = value;
        }
    }
    return chosen;
}
