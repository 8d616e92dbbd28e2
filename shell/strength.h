// Playing strength below the engine's own: the levels UCI_LimitStrength and
// UCI_Elo choose.
#pragma once

// The span of UCI_Elo, on the scale of Stockfish's own UCI_Elo at ten
// seconds and a tenth a move: a beginner's level up to the engine's full
// strength.
constexpr int WEAKEST_ELO = 1000;
constexpr int FULL_STRENGTH_ELO = 2000;
