// Placeholder until this subsystem lands.
#include "shell/engine.h"
std::atomic<int> engineState{Idle};
std::atomic<uint8_t> ponderEnabled{1};
Move ponderMove;
PlyRecord ponderRecord;
uint8_t lastMoveFromBook;
void EngineThread() {}
void StartEngine(uint8_t) {}
void StopEngine() {}
void StopEngineConditional() {}
