// Placeholder until this subsystem lands.
#include "board/position.h"
Position pos;
HistoryEntry positionHistory[HISTORY_SIZE];
HistoryEntry* historyTop = positionHistory;
PieceCode gameBoard[64];
int32_t gameSideToMove;
uint16_t gameCastleRights;
uint8_t gameEpSquare;
uint8_t gameKingSq[2];
