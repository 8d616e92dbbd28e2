// Draw tests over the position history, and keeping the history short in
// long games.
#include "board/keys.h"

#include <cstring>

namespace {

constexpr int LONGEST_KEPT_RUN = 255;

// Counts earlier occurrences of key among the entries two, four, ... plies
// below newest - 2 (same side to move), never past the last irreversible move:
// the count stored four plies down says how far the reversible run reaches.
int CountRepeats(const HistoryEntry* newest, uint64_t key, int enough) {
    int index = static_cast<int>(newest - positionHistory) - 4;
    if (index < 0) return 0;
    int remaining = positionHistory[index].reversiblePlies;
    int found = 0;
    while (index >= 0) {
        if (positionHistory[index].key == key && ++found == enough) break;
        remaining -= 2;
        if (remaining < 0) break;
        index -= 2;
    }
    return found;
}

}  // namespace

Move DrawTest(uint8_t count) {
    if (NoMatingMaterial()) return MOVE_NO_MATERIAL;
    const int plies = historyTop->reversiblePlies;
    if (plies < 4) return MOVE_NONE;
    if (plies > 99) return MOVE_FIFTY;
    if (count == 0) return MOVE_NONE;
    return CountRepeats(historyTop, historyTop->key, count) >= count ? MOVE_REPETITION : MOVE_NONE;
}

int RepetitionAfterMove(Move move) {
    if (KindOfMove(move) != KIND_QUIET) return 0;
    const int from = FromOf(move), to = ToOf(move);
    const int piece = pos.board[from];
    if (piece < W_KNIGHT) return 0;
    // The entry the move would push is not written: the walk reads only the
    // entries below it, so the stack is never touched at its end.
    const uint64_t key = pos.hashKey ^ keyTable[piece][from] ^ keyTable[piece][to];
    const int plies = historyTop->reversiblePlies + 1;
    if (plies < 4) return 0;
    if (plies > 99) return 2;
    if (plies > 75) return 1;
    return CountRepeats(historyTop + 1, key, 2);
}

void TrimHistoryForGameMove() {
    const int top = static_cast<int>(historyTop - positionHistory);
    if (top < HISTORY_SIZE - HISTORY_HEADROOM) return;
    int kept = historyTop->reversiblePlies;
    if (kept > LONGEST_KEPT_RUN) kept = LONGEST_KEPT_RUN;
    std::memmove(positionHistory, historyTop - kept, sizeof(HistoryEntry) * (kept + 1));
    // An entry cannot count more reversible plies than the stack holds below
    // it, or the repetition walk would run off the base.
    for (int i = 0; i <= kept; ++i)
        if (positionHistory[i].reversiblePlies > i) positionHistory[i].reversiblePlies = static_cast<uint16_t>(i);
    historyTop = positionHistory + kept;
}
