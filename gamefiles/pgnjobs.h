// The PGN reading of one conversion shared out among several processes: the
// board and the reader's state are process-wide, so each job is a process of
// its own. The text is cut into pieces of a fixed size at lines where a tag
// section begins; job k reads pieces k, k + jobs, ... of the text (every job
// opens the input anew and passes over the pieces of the others) and writes
// what it read to a journal; the games are then handed on in input order.
//
// A cut is only a guess at where a game begins: a game may run over it (an
// unclosed bracket swallowing the next tag line, say). So the job of a piece
// reads on past its end until its own reading and that of the next piece's
// job meet at a game start; the games are taken from the journals as one
// process reading the whole text would have read them, game for game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "gamefiles/pgnreader.h"

// Pieces of this size keep a job busy far longer than its start costs.
constexpr uint64_t JOB_PIECE_SIZE = uint64_t{4} << 20;

// One game of the text, in input order, and the line it starts on: its record
// (size > 0) to store unless the GAME file holds it, or why it is skipped.
using TakeGame = std::function<void(const unsigned char* record, size_t size, const SkipReason& why, int64_t line)>;

// How the reading of the text ended.
struct JobsEnd {
    bool ran = false;    // false: the jobs could not be run or their journals not read (the reason in failure)
    bool taken = false;  // games were handed to take
    std::string failure; // empty when the text was read to its end; else the typed text
    std::string words;   // and the plain words
};

// Reads the PGN file name with jobs processes, pieces of pieceSize bytes,
// their journals kept (unlinked) in folder; calls take for every game in
// input order. name must be a file that each job can open anew. With
// oneProcess the jobs run one after another in this process (for the fuzz
// harness, where a fork costs more than the reading).
JobsEnd ReadGamesInJobs(const char* name, int jobs, uint64_t pieceSize, const std::string& folder,
                        const TakeGame& take, bool oneProcess = false);
