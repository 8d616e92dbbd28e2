#include "board/hugepages.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

std::size_t WholeHugePages(std::size_t bytes) { return (bytes + HUGE_PAGE_SIZE - 1) & ~(HUGE_PAGE_SIZE - 1); }

}  // namespace

void AdviseHugePages(void* start, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    madvise(start, bytes, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}

void* AllocateHugePages(std::size_t bytes) {
    const std::size_t size = WholeHugePages(bytes);
    if (size == 0) return nullptr;
    // One huge page more than needed, so that an aligned run fits; the
    // rest is given back at once.
    void* mapped = mmap(nullptr, size + HUGE_PAGE_SIZE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    char* const raw = static_cast<char*>(mapped);
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(raw);
    char* const aligned = raw + (WholeHugePages(at) - at);
    if (aligned > raw) munmap(raw, aligned - raw);
    char* const end = raw + size + HUGE_PAGE_SIZE;
    if (end > aligned + size) munmap(aligned + size, end - (aligned + size));
    AdviseHugePages(aligned, size);
    return aligned;
}

void FreeHugePages(void* memory, std::size_t bytes) {
    if (memory) munmap(memory, WholeHugePages(bytes));
}
