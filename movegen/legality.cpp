// Placeholder until this subsystem lands.
#include "movegen/legality.h"
bool KingAttackedAfterMove(Move, int) { return false; }
static bool Never(Move) { return false; }
const CastlingPathFn CastlingPathAttacked[2] = {Never, Never};
bool IsPseudoLegal(Move) { return false; }
int GenerateLegalMoves(Move*) { return 0; }
bool IsLegalMove(Move) { return false; }
