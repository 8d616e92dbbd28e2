// Setting up a position: parse, commit, then clear every table that belongs
// to the previous position and reload the book.
#include "gamefiles/setboard.h"

#include <cstdio>
#include <cstring>

#include "board/fen.h"
#include "board/log.h"
#include "board/plyrecord.h"
#include "eval/evaluate.h"
#include "gamefiles/book.h"
#include "gamefiles/san.h"
#include "search/hashtable.h"

namespace {

// Everything a set-up overwrites before its EPD move is known to be readable.
struct SavedGame {
    Position position;
    HistoryEntry history[HISTORY_SIZE];
    int historyTopIndex;
    PieceCode board[64];
    int32_t sideToMove;
    uint16_t castleRights;
    uint8_t epSquare;
    uint8_t kingSq[2];
};

void SaveGame(SavedGame& saved) {
    saved.position = pos;
    std::memcpy(saved.history, positionHistory, sizeof saved.history);
    saved.historyTopIndex = static_cast<int>(historyTop - positionHistory);
    std::memcpy(saved.board, gameBoard, sizeof saved.board);
    saved.sideToMove = gameSideToMove;
    saved.castleRights = gameCastleRights;
    saved.epSquare = gameEpSquare;
    std::memcpy(saved.kingSq, gameKingSq, sizeof saved.kingSq);
}

void RestoreGame(const SavedGame& saved) {
    pos = saved.position;
    std::memcpy(positionHistory, saved.history, sizeof saved.history);
    historyTop = positionHistory + saved.historyTopIndex;
    std::memcpy(gameBoard, saved.board, sizeof gameBoard);
    gameSideToMove = saved.sideToMove;
    gameCastleRights = saved.castleRights;
    gameEpSquare = saved.epSquare;
    std::memcpy(gameKingSq, saved.kingSq, sizeof gameKingSq);
}

void ClearPositionTables() {
    ClearHashTable();
    std::memset(historyTable, 0, sizeof historyTable);
    for (PlyRecord& record : plyRecords) record.killer1 = record.killer2 = MOVE_NONE;
    ClearPawnHashTable();
}

}  // namespace

bool SetBoard(const char* text, bool loadBook, bool reportBookError) {
    static FenResult staged;
    if (!ParseFen(text, staged)) return false;

    if (staged.epdAvoid || staged.epdBest) {
        // The SAN reader needs the new position in place; if it cannot read
        // the move the set-up is rejected and the old game comes back intact.
        // This runs before the tables are cleared so that a rejection leaves
        // them (and any book entries in them) as they were.
        static SavedGame saved;
        SaveGame(saved);
        CommitFen(staged);
        const Move move = ParseSan(staged.epdText);
        if (move == MOVE_NONE) {
            RestoreGame(saved);
            std::printf("Warning cannot recognize move: %s\r\n", staged.epdText);
            std::fflush(stdout);
            return false;
        }
        (staged.epdAvoid ? pos.epdAvoidMove : pos.epdBestMove) = move;
    } else {
        CommitFen(staged);
    }

    ClearPositionTables();
    if (loadBook) {
        // Only a missing or damaged book is an error worth a window in the
        // front end; any other position simply has no book moves.
        if (pos.hashKey != StartPositionKey()) {
            LogLine("-M: no book for a position other than the start position");
        } else if (!BookLoad(BOOK_FILE_NAME)) {
            if (reportBookError) {
                std::printf("tellusererror BOOK ERROR!\n");
                std::fflush(stdout);
                LogRaw("-\ttellusererror BOOK ERROR!\n\n");
            } else {
                LogLine("-M: no book: Pelmot.book is missing or damaged");
            }
        }
    }
    hashStamp = 1;
    return true;
}

void SetStartForConversion(bool searchTables) {
    if (searchTables) {
        SetBoard(START_FEN, false);
        return;
    }
    static FenResult start;
    ParseFen(START_FEN, start);
    CommitFen(start);
}
