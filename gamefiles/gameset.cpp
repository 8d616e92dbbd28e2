#include "gamefiles/gameset.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "board/hugepages.h"

namespace {

constexpr size_t GAME_WINDOW = 1 << 16;

uint64_t Fingerprint(const unsigned char* bytes, size_t size) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        hash = (hash ^ word) * 0x100000001B3ull;
        hash ^= hash >> 29;
    }
    for (; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    hash ^= hash >> 32;
    return hash ? hash : 1;
}

}  // namespace

void GameSet::Grow() {
    const size_t count = slotCount_ ? 2 * slotCount_ : 1024;
    const size_t bytes = count * sizeof(Slot);
    Slot* table = static_cast<Slot*>(std::aligned_alloc(bytes >= HUGE_PAGE_SIZE ? HUGE_PAGE_SIZE : 64, bytes));
    if (!table) throw std::bad_alloc();
    if (bytes >= HUGE_PAGE_SIZE) AdviseHugePages(table, bytes);
    std::memset(static_cast<void*>(table), 0, bytes);
    std::unique_ptr<Slot[], FreeSlots> old(table);
    old.swap(slots_);
    const size_t oldCount = slotCount_;
    slotCount_ = count;
    const size_t mask = count - 1;
    for (size_t j = 0; j < oldCount; ++j) {
        const Slot& slot = old[j];
        if (!slot.fingerprint) continue;
        size_t i = slot.fingerprint & mask;
        while (slots_[i].fingerprint) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

void GameSet::Insert(uint64_t fingerprint, uint64_t offset) {
    if (2 * (count_ + 1) > static_cast<int64_t>(slotCount_)) Grow();
    const size_t mask = slotCount_ - 1;
    size_t i = fingerprint & mask;
    while (slots_[i].fingerprint) i = (i + 1) & mask;
    slots_[i] = Slot{fingerprint, offset};
    ++count_;
}

bool GameSet::SameRecord(uint64_t offset, const unsigned char* bytes, size_t size) {
    // A record still in the output buffer is written out first.
    if (offset + size > file_->WrittenSize()) file_->Flush();
    if (offset < windowStart_ || offset + size > windowStart_ + windowSize_) {
        std::FILE* stream = file_->Stream();
        window_.resize(GAME_WINDOW);
        windowStart_ = offset;
        windowSize_ = 0;
        if (std::fseek(stream, static_cast<long>(offset), SEEK_SET) == 0)
            windowSize_ = std::fread(window_.data(), 1, window_.size(), stream);
        if (windowSize_ < size)
            throw GameFileError("GAME FILE CUT OFF", "cannot read back '" + file_->Name() + "': it was cut short");
    }
    return std::memcmp(window_.data() + (offset - windowStart_), bytes, size) == 0;
}

void GameSet::SetFault(const char* code, uint64_t offset) {
    fault_ = code;
    faultWords_ = DamagedGameFileWords(file_->Name(), code, offset);
}

bool GameSet::AddNewBytes(const unsigned char* bytes, size_t size, uint64_t offset) {
    const uint64_t fingerprint = Fingerprint(bytes, size);
    if (2 * (count_ + 1) > static_cast<int64_t>(slotCount_)) Grow();
    const size_t mask = slotCount_ - 1;
    size_t i = fingerprint & mask;
    for (; slots_[i].fingerprint; i = (i + 1) & mask)
        if (slots_[i].fingerprint == fingerprint && SameRecord(slots_[i].offset, bytes, size)) return false;
    if (fault_) throw GameFileError(fault_, faultWords_);
    slots_[i] = Slot{fingerprint, offset};
    ++count_;
    return true;
}

void GameSet::Load(OutputFile& gameFile) {
    file_ = &gameFile;
    loaded_ = true;
    std::FILE* stream = gameFile.Stream();
    std::fseek(stream, 0, SEEK_SET);
    // The file is read in blocks; a record may run over a block's end.
    std::vector<unsigned char> block(GAME_WINDOW + 2 * (GAME_MAX_MOVES + 1));
    size_t have = 0, at = 0;
    uint64_t offset = 0;
    bool end = false;
    // The records are taken in batches whose slots are fetched first: a
    // slot is a random place in a large table, and the fetches overlap.
    constexpr int BATCH = 64;
    Slot batch[BATCH];
    int waiting = 0;
    auto insertBatch = [&] {
        while (2 * (count_ + waiting) > static_cast<int64_t>(slotCount_)) Grow();
        const size_t mask = slotCount_ - 1;
        for (int i = 0; i < waiting; ++i) __builtin_prefetch(&slots_[batch[i].fingerprint & mask], 1);
        for (int i = 0; i < waiting; ++i) Insert(batch[i].fingerprint, batch[i].offset);
        waiting = 0;
    };
    for (;;) {
        if (have - at < 2 * (GAME_MAX_MOVES + 1) && !end) {
            std::memmove(block.data(), block.data() + at, have - at);
            have -= at;
            at = 0;
            const size_t got = std::fread(block.data() + have, 1, block.size() - have, stream);
            have += got;
            end = got == 0;
            continue;
        }
        if (at == have) break;
        if (have - at < 2) {
            SetFault("GAME FILE CUT OFF", offset);
            break;
        }
        const uint16_t header = static_cast<uint16_t>(block[at] | (block[at + 1] << 8));
        if (const char* fault = GameHeaderFault(header)) {
            SetFault(fault, offset);
            break;
        }
        const size_t size = 2 * (static_cast<size_t>(header & GAME_COUNT_MASK) + 1);
        if (have - at < size) {
            SetFault("GAME FILE CUT OFF", offset);
            break;
        }
        batch[waiting++] = Slot{Fingerprint(block.data() + at, size), offset};
        if (waiting == BATCH) insertBatch();
        at += size;
        offset += size;
    }
    insertBatch();
    if (std::ferror(stream)) {
        fault_ = "cannot read GAME file";
        faultWords_ = "cannot read '" + gameFile.Name() + "': " + std::strerror(errno);
    }
}