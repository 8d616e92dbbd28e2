#include "gamefiles/book.h"

#include <ctime>
#include <fstream>
#include <random>

#include "board/keys.h"
#include "board/makemove.h"
#include "board/plyrecord.h"
#include "board/position.h"
#include "movegen/legality.h"
#include "search/hashtable.h"

namespace {

int64_t RandomLine(int64_t count) {
    // Seeded by the calendar second, so each load may hold back a different line.
    std::mt19937_64 generator(static_cast<uint64_t>(std::time(nullptr)));
    return std::uniform_int_distribution<int64_t>(0, count - 1)(generator);
}

// Reads one line into moves; false when the file ends before the line is whole.
// tooLong is set for a line that does not fit the buffer.
bool ReadLine(std::ifstream& in, Move* moves, int& n, bool& tooLong) {
    unsigned char count = 0;
    if (!in.read(reinterpret_cast<char*>(&count), 1)) return false;
    if (count > BOOK_MAX_LINE) {
        tooLong = true;
        return false;
    }
    unsigned char bytes[2 * BOOK_MAX_LINE];
    if (!in.read(reinterpret_cast<char*>(bytes), 2 * count)) return false;
    for (int i = 0; i < count; ++i) moves[i] = static_cast<Move>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    n = count;
    return true;
}

// Restores the table stamp on every way out of the load.
struct StampGuard {
    uint16_t saved = hashStamp;
    StampGuard() { hashStamp = 0; }
    ~StampGuard() { hashStamp = saved; }
};

}  // namespace

uint64_t StartPositionKey() {
    static constexpr char placement[] = "rnbqkbnrpppppppp" "PPPPPPPPRNBQKBNR";
    uint64_t key = 0;
    for (int i = 0; i < 32; ++i) {
        const int sq = i < 16 ? i : i + 32;
        int code = 0;
        while (PIECE_LETTERS[code] != placement[i]) ++code;
        key ^= keyTable[code][sq];
    }
    return key;
}

bool BookAddLine(const Move* moves, int n) {
    if (n < 0 || n > BOOK_MAX_LINE || (currentPly - plyRecords) + n >= PLY_RECORDS) return false;
    // Making moves writes the played move into the current history entry;
    // the set-up position must look untouched afterwards.
    const HistoryEntry base = *historyTop;
    int made = 0;
    while (made < n && IsLegalMove(moves[made])) {
        SaveSnapshot(currentPly);
        MakeMove(moves[made], currentPly);
        ++currentPly;
        ++made;
    }
    const bool whole = made == n;
    // Stored from the last move back, so the line's first positions are
    // written last and a later line passing them overwrites this one.
    for (int i = made - 1; i >= 0; --i) {
        --currentPly;
        UnmakeMove(moves[i], currentPly);
        if (whole) StoreBookMove(moves[i]);
    }
    *historyTop = base;
    return whole;
}

bool BookLoad(const char* fileName) { return BookLoadChoosing(fileName, RandomLine); }

bool BookLoadChoosing(const char* fileName, BookLineChooser choose) {
    if (pos.hashKey != StartPositionKey()) return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    int64_t count = 0;
    if (!(in >> count)) return false;
    in.ignore(999999, '\n');

    StampGuard stamp;
    const int64_t heldBack = count > 0 ? choose(count) : -1;

    Move line[BOOK_MAX_LINE];
    Move held[BOOK_MAX_LINE];
    int heldLength = 0;
    int64_t linesRead = 0;
    int n = 0;
    bool tooLong = false;
    while (ReadLine(in, line, n, tooLong)) {
        if (linesRead == heldBack) {
            for (int i = 0; i < n; ++i) held[i] = line[i];
            heldLength = n;
        } else if (!BookAddLine(line, n)) {
            return false;
        }
        ++linesRead;
    }
    if (tooLong || heldLength == 0) return false;
    if (!BookAddLine(held, heldLength)) return false;
    return linesRead == count;
}
