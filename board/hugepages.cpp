#include "board/hugepages.h"

#include <sys/mman.h>

void AdviseHugePages(void* start, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    madvise(start, bytes, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}
