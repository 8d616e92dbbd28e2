// The pass of null-move pruning: only the side to move, the en-passant square
// and its key terms change; the history gets an entry so that the draw tests
// count the pass as a ply.
#include "movegen/nullmove.h"

#include "board/keys.h"
#include "board/position.h"

void MakeNullMove(PlyRecord* record) {
    historyTop->move = MOVE_NULL;
    const uint16_t count = static_cast<uint16_t>(historyTop->reversiblePlies + 1);
    HistoryEntry* entry = ++historyTop;
    entry->reversiblePlies = count;
    record->keySnapshot = pos.hashKey;
    record->pawnKeySnapshot = pos.pawnKey;
    record->epSnapshot = pos.epSquare;
    if (pos.epSquare) {
        const uint64_t key = keyTable[0][pos.epSquare];
        pos.hashKey ^= key;
        pos.pawnKey ^= static_cast<uint32_t>(key);
        pos.epSquare = 0;
    }
    record->materialChange = static_cast<int8_t>(pos.kingSq[Opponent(pos.sideToMove)]);
    record->castleSnapshot = pos.castleRights;
    entry->key = pos.hashKey;
    pos.sideToMove = Opponent(pos.sideToMove);
}

void UnmakeNullMove(PlyRecord* record) {
    pos.sideToMove = Opponent(pos.sideToMove);
    pos.kingSq[Opponent(pos.sideToMove)] = static_cast<uint8_t>(record->materialChange);
    pos.castleRights = record->castleSnapshot;
    pos.epSquare = record->epSnapshot;
    pos.hashKey = record->keySnapshot;
    pos.pawnKey = record->pawnKeySnapshot;
    historyTop--;
}
