// The global position, its history and the game snapshot.
#include "board/position.h"

#include <cstring>

// Empty board, white to move, no kings until a position is set.
Position pos = EmptyPosition();
HistoryEntry positionHistory[HISTORY_SIZE];
HistoryEntry* historyTop = positionHistory;
PieceCode gameBoard[64];
int32_t gameSideToMove = 1;
uint16_t gameCastleRights;
uint8_t gameEpSquare;
uint8_t gameKingSq[2];

void SaveGameSnapshot() {
    std::memcpy(gameBoard, pos.board, sizeof gameBoard);
    gameSideToMove = pos.sideToMove;
    gameCastleRights = pos.castleRights;
    gameEpSquare = pos.epSquare;
    gameKingSq[0] = pos.kingSq[WHITE];
    gameKingSq[1] = pos.kingSq[BLACK];
}
