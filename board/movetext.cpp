// Placeholder until this subsystem lands.
#include "board/movetext.h"
char* MoveToText(char* buffer, Move) { *buffer = 0; return buffer; }
Move TextToMove(const char*) { return MOVE_NONE; }
void PrintBoard(const PieceCode*) {}
