// Position keys and the position history with its draw tests.
#pragma once

#include "board/position.h"

// 13 x 64 fixed key constants, [piece code][square]; row 0 holds the
// en-passant keys and the castling-right keys (at g1, c1, g8, c8). They are
// generated at compile time from a fixed seed, so every run (and every book
// or position file keyed by them) sees the same values.
struct KeyTableData {
    uint64_t keys[13][64];
};
constexpr KeyTableData MakeKeyTable() {
    KeyTableData table{};
    uint64_t state = 0x50454C4D4F54ULL;  // fixed seed
    for (auto& row : table.keys)
        for (auto& key : row) {
            // splitmix64: a full-period counter pushed through a strong mixer
            uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            key = z ^ (z >> 31);
        }
    return table;
}
inline constexpr KeyTableData KEY_TABLE_DATA = MakeKeyTable();
inline constexpr const uint64_t (&keyTable)[13][64] = KEY_TABLE_DATA.keys;

// Keys of the castling rights: the key-table entry of the king's landing square.
inline constexpr uint64_t CASTLE_KEY_WHITE_SHORT = keyTable[0][SQ_G1];
inline constexpr uint64_t CASTLE_KEY_WHITE_LONG = keyTable[0][SQ_C1];
inline constexpr uint64_t CASTLE_KEY_BLACK_SHORT = keyTable[0][SQ_G8];
inline constexpr uint64_t CASTLE_KEY_BLACK_LONG = keyTable[0][SQ_C8];

// XOR of the keys of every right in a set of castling rights.
constexpr uint64_t CastleKeys(unsigned rights) {
    return (rights & CASTLE_WHITE_SHORT ? CASTLE_KEY_WHITE_SHORT : 0) ^
           (rights & CASTLE_WHITE_LONG ? CASTLE_KEY_WHITE_LONG : 0) ^
           (rights & CASTLE_BLACK_SHORT ? CASTLE_KEY_BLACK_SHORT : 0) ^
           (rights & CASTLE_BLACK_LONG ? CASTLE_KEY_BLACK_LONG : 0);
}

// 0, MOVE_NO_MATERIAL, MOVE_FIFTY or MOVE_REPETITION.
Move DrawTest(uint8_t count);
// 0, 1 or 2: how close a quiet piece move comes to a repetition or the fifty-move limit.
int RepetitionAfterMove(Move move);

// Called before a move is played in the game: when the history stack is close
// to its end, moves the entries back to the last irreversible move down to the
// base so that long games keep working (the draw tests never look further).
void TrimHistoryForGameMove();

// Headroom that TrimHistoryForGameMove leaves above the top: enough for a
// game move, a pondered move and the deepest search line.
constexpr int HISTORY_HEADROOM = 200;
