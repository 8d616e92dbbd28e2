// Per-ply records, the shared move stack and the quiet-move history counters.
// They sit at the bottom so that make/unmake and the generators can use them
// without knowing about the search.
#pragma once

#include <cstddef>

#include "board/types.h"

// Check information of the side to move: the first three fields of a PlyRecord.
struct CheckInfo {
    Bitboard checkers;
    Bitboard rookRays;
    Bitboard diagonalRays;
};

constexpr int PLY_RECORDS = 136;
constexpr int MOVE_STACK_SIZE = 16512;
constexpr int ORDERING_KEYS = 128;

struct PlyRecord {
    CheckInfo check;
    Bitboard occupiedSnapshot;
    Bitboard sideOccupiedSnapshot;
    Bitboard movedPieceSnapshot;
    uint64_t keySnapshot;
    uint32_t pawnKeySnapshot;
    ScoredMove* cursor;
    ScoredMove* listEnd;       // nullptr: not generated yet
    uint32_t hashBound;        // stored form: 0, 0x80 or 0x100
    int16_t hashScore;
    Move hashMove;
    Move killer1;
    Move killer2;
    uint16_t castleSnapshot;
    uint8_t epSnapshot;
    uint8_t hashDepth;
    uint8_t capturedPiece;
    int8_t materialChange;     // the null move keeps a saved king square here
    uint32_t orderingKeys[ORDERING_KEYS];
};

// The check information is read through a CheckInfo pointer to the record.
static_assert(offsetof(PlyRecord, check) == 0);

extern PlyRecord plyRecords[PLY_RECORDS];
extern PlyRecord* currentPly;
extern ScoredMove moveStack[MOVE_STACK_SIZE];
extern uint32_t historyTable[2][4096];

// Fills the snapshot fields of a record from the current position.
void SaveSnapshot(PlyRecord* record);
