// Principal variation read back from the transposition table.
#pragma once

#include "board/types.h"

// Room for 128 moves of up to five characters and a blank, and a result text.
constexpr int PV_TEXT_SIZE = 1024;
constexpr int MAX_PV_MOVES = (PV_TEXT_SIZE - 32) / 6;

// A line of table moves and what ended it.
struct PrincipalVariation {
    Move moves[MAX_PV_MOVES];
    int length;
    Move result;        // a special move the table holds where the line ends, else MOVE_NONE
    bool missing;       // the table has no entry where the line ends
    bool endsInMate;    // the side to move where the line ends is mated on the board
};

// Follows the table's moves from the current position, at most movesAllowed
// of them, after the moves of start (which must be legal in turn). Position,
// currentPly and the ply records are left as they were.
void BuildPv(PrincipalVariation& pv, int movesAllowed, const Move* start = nullptr, int startLength = 0);

// The line as xboard's thinking line shows it: the moves, each followed by
// a blank, then "# " for a stored mate, a result text for another stored
// result, or "NOE " where the table has no entry.
void PvText(char* out, const PrincipalVariation& pv);

// Plies to the mate the line ends in, or 0 when it ends in none.
int MatePlies(const PrincipalVariation& pv);

// For a mate score, the moves to the mate as the protocols give them:
// positive when the side to move mates, negative (0 when mated on the board)
// when it is mated; counted from matePlies (the plies of the line to the
// mate) when it is known, else from the score. False for other scores.
bool MateMoves(int score, int matePlies, int& moves);
