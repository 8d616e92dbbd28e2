// Everything a takeback, a refused set-up or a conversion that puts the
// board back must leave as it was: the position, the history up to its top,
// and the game snapshot the front end's moves are read against.
#pragma once

#include <cstring>
#include <vector>

#include "board/invariants.h"
#include "board/position.h"

struct GameState {
    Position position;
    std::vector<HistoryEntry> history;
    PieceCode board[64];
    int32_t sideToMove;
    uint16_t castleRights;
    uint8_t epSquare;
    uint8_t kingSq[2];

    static GameState Now() {
        GameState s;
        s.position = pos;
        s.history.assign(positionHistory, historyTop + 1);
        std::memcpy(s.board, gameBoard, sizeof s.board);
        s.sideToMove = gameSideToMove;
        s.castleRights = gameCastleRights;
        s.epSquare = gameEpSquare;
        std::memcpy(s.kingSq, gameKingSq, sizeof s.kingSq);
        return s;
    }
    bool operator==(const GameState& o) const {
        if (!SamePosition(position, o.position) || history.size() != o.history.size()) return false;
        for (size_t i = 0; i < history.size(); ++i)
            if (history[i].key != o.history[i].key || history[i].reversiblePlies != o.history[i].reversiblePlies)
                return false;
        return !std::memcmp(board, o.board, sizeof board) && sideToMove == o.sideToMove &&
               castleRights == o.castleRights && epSquare == o.epSquare && !std::memcmp(kingSq, o.kingSq, 2);
    }
};
