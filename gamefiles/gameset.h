// The duplicate test of the GAME conversions: the games a GAME file holds,
// each found again in constant time.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gamefiles/gamefile.h"
#include "gamefiles/outfile.h"

// The games of a GAME file, for the duplicate test in constant time per game.
// Only a fingerprint and the place of each record are held; a record whose
// fingerprint matches is read back from the file and compared in full.
class GameSet {
public:
    // Reads every record of the file from its start. A record the file cannot
    // hold (bad result bits, bad count, cut off by the end) stops the reading:
    // games not found before it raise that fault in AddNewBytes, because nothing
    // may be appended behind it.
    void Load(OutputFile& gameFile);
    // Uses the file again, opened anew for the next file of a list.
    void Attach(OutputFile& gameFile) { file_ = &gameFile; }
    // False when an equal game is held. Otherwise raises the file's fault,
    // or takes the record (its bytes as on disk) as the one to be appended
    // at offset: true.
    bool AddNewBytes(const unsigned char* bytes, size_t size, uint64_t offset);
    bool Loaded() const { return loaded_; }

private:
    struct Slot {
        uint64_t fingerprint;  // 0: free
        uint64_t offset;
    };
    void Insert(uint64_t fingerprint, uint64_t offset);
    void SetFault(const char* code, uint64_t offset);
    void Grow();
    bool SameRecord(uint64_t offset, const unsigned char* bytes, size_t size);

    struct FreeSlots {
        void operator()(Slot* slots) const { std::free(slots); }
    };
    // A power of two of slots, in huge pages when large: the probes are random.
    std::unique_ptr<Slot[], FreeSlots> slots_;
    size_t slotCount_ = 0;
    int64_t count_ = 0;
    bool loaded_ = false;
    const char* fault_ = nullptr;
    std::string faultWords_;  // the fault in plain words, with the file and the place
    OutputFile* file_ = nullptr;
    // A window of the file's bytes for comparing records.
    std::vector<unsigned char> window_;
    uint64_t windowStart_ = 0;
    size_t windowSize_ = 0;
};
