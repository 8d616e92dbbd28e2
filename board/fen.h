// FEN and EPD reading into the global position, and FEN writing.
#pragma once

#include "board/position.h"

// Parses text (FEN or EPD) into a staged position without touching the global
// one. On success the staged result can be committed with CommitFen. The EPD
// move text, when present, is returned in epdText with its opcode flags.
// Rejected: a bad placement or side letter, more than one king or more than
// sixteen men of a side, and a side not to move in check. Castling rights whose king or rook is not at home are dropped; the
// en-passant field counts only for the square a pawn has just passed over.
struct FenResult {
    Position position;
    bool epdAvoid;     // "am" operation read (takes precedence)
    bool epdBest;      // "bm" operation read
    char epdText[10];  // its move text, NUL-terminated
};
bool ParseFen(const char* text, FenResult& result);

// Makes a parsed position the global one: derived state, history base entry
// and game snapshot (no search tables are touched here).
void CommitFen(const FenResult& result);

// Writes the FEN of the position (placement, side, castling, en passant) into
// buffer; at most 82 bytes including the terminator.
void GetFen(char* buffer);

inline constexpr char START_FEN[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
