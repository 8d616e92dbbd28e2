// The process entry's work: start-up with the protocol handshake, then the
// main thread's reading and dispatching of the front end's input.
#pragma once

// Runs until "quit" or the end of the input.
void CommandLoop();
// The handshake, the engine thread and the tables; always succeeds.
bool StartUp();
