// The one global position, the game snapshot beside it and the position
// history. Everything here is plain data read and written in place.
#pragma once

#include "board/types.h"

struct HistoryEntry {
    uint64_t key;
    Move move;                 // move played from this position; 0 when fresh
    uint16_t reversiblePlies;  // plies since the last irreversible move or set-up
};

constexpr int HISTORY_SIZE = 1024;

struct Position {
    Colour sideToMove;
    PieceCode board[64];
    Bitboard pieceBB[11];      // codes 1..10; kings have no bitboard
    Bitboard colourBB[2];      // [0] black, [1] white, kings included
    Bitboard occupied;
    uint64_t hashKey;
    uint32_t pawnKey;
    uint8_t kingSq[2];         // [0] black, [1] white; SQ_NONE when absent
    uint16_t castleRights;
    uint8_t epSquare;          // 0 for none
    uint16_t totalMaterial;     // wide enough for any set-up with its promotions
    uint8_t pieceMaterial[2];
    uint8_t pawnCount[2];
    Move epdBestMove;
    Move epdAvoidMove;
};

extern Position pos;

// An empty board with white to move and no kings.
constexpr Position EmptyPosition() {
    Position p{};
    p.sideToMove = WHITE;
    p.kingSq[BLACK] = p.kingSq[WHITE] = SQ_NONE;
    return p;
}

// Position history: historyTop points at the entry of the current position.
extern HistoryEntry positionHistory[HISTORY_SIZE];
extern HistoryEntry* historyTop;

// The game snapshot: the position reached in the actual game.
extern PieceCode gameBoard[64];
extern int32_t gameSideToMove;
extern uint16_t gameCastleRights;
extern uint8_t gameEpSquare;
extern uint8_t gameKingSq[2];  // white king first, then black

// Copies the global position into the game snapshot.
void SaveGameSnapshot();

// Material units by piece code (pawn 1, minor 3, rook 5, queen 9, king 0).
inline constexpr uint8_t MATERIAL_UNITS[13] = {0, 1, 1, 3, 3, 3, 3, 5, 5, 9, 9, 0, 0};

// No pawns and at most one minor piece on the board: nobody can mate.
inline bool NoMatingMaterial() {
    return pos.totalMaterial < 4 && pos.pawnCount[WHITE] == 0 && pos.pawnCount[BLACK] == 0;
}
