// Engine thread and its control from the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include "board/plyrecord.h"

enum EngineState : int { Idle = 0, Thinking = 1, Pondering = 2, Waiting = 3, Quitting = 4 };

extern std::atomic<int> engineState;
extern std::atomic<uint8_t> ponderEnabled;
extern Move ponderMove;
extern PlyRecord ponderRecord;
extern uint8_t lastMoveFromBook;

void EngineThread();
void StartEngine(uint8_t depth);
void StopEngine();
void StopEngineConditional();
