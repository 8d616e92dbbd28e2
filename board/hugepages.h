// Large tables that are probed at random (the transposition table, the pawn
// cache) ask the kernel for huge pages, so that a probe costs a cache miss
// and not a page-table walk as well.
#pragma once

#include <cstddef>

constexpr std::size_t HUGE_PAGE_SIZE = std::size_t{1} << 21;

// Advises the kernel to back [start, start + bytes) with huge pages. Must run
// before the memory is first touched; a kernel that declines changes nothing.
void AdviseHugePages(void* start, std::size_t bytes);

// Zeroed memory of at least bytes, aligned to a huge page and advised to use
// them; nullptr when the system cannot give that much.
void* AllocateHugePages(std::size_t bytes);
// Gives back memory from AllocateHugePages with the size it was asked for.
void FreeHugePages(void* memory, std::size_t bytes);
