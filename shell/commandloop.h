// The process entry's work: start-up with the protocol handshake, then the
// main thread's reading and dispatching of the front end's input.
#pragma once

// Runs until "quit" or the end of the input.
void CommandLoop();
// Reads the front end's first word. For "uci" it returns UCI and leaves the
// rest to the UCI loop; otherwise the xboard handshake, the engine thread
// and the tables.
enum class Protocol { XBOARD, UCI };
Protocol StartUp();
