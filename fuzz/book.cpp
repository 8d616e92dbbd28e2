// BookLoad on arbitrary book bytes, from the start position. Whatever the
// file holds, the load leaves the position, its history, the ply records and
// the table stamp as they were; a load that reports success has stored a
// legal book move for the start position.
#include "gamefiles/book.h"
#include "search/hashtable.h"
#include "support.h"

namespace {

constexpr char BOOK_FILE[] = "fuzz.book";

// The line held back to be stored last, chosen by the input itself so that
// a run can be repeated (the engine chooses by the clock).
uint64_t heldBackChoice = 0;
int64_t ChooseHeldBack(int64_t count) { return static_cast<int64_t>(heldBackChoice % static_cast<uint64_t>(count)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Prepare();
    const GameState& start = fuzz::StartState();
    fuzz::PutStartBack();
    fuzz::WriteFile(BOOK_FILE, data, size);
    heldBackChoice = size > 0 ? data[size - 1] : 0;
    const uint16_t stamp = hashStamp;

    const bool loaded = BookLoadChoosing(BOOK_FILE, ChooseHeldBack);

    if (!(GameState::Now() == start)) fuzz::Finding("the book load did not put the start position back");
    if (currentPly != plyRecords) fuzz::Finding("the book load left the ply records moved on");
    if (hashStamp != stamp) fuzz::Finding("the book load left the table stamp at %d", hashStamp);
    if (loaded) {
        const HashEntry* entry = ProbeHash();
        if (!entry || !IsBookEntry(entry)) fuzz::Finding("a book loaded without an entry for the start position");
        if (!IsLegalMove(EntryMove(entry))) fuzz::Finding("a book loaded with an illegal move for the start position");
    }
    return 0;
}
