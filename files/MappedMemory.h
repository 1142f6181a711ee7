#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>

// Memory for a report's rows in large blocks, taken from the system and
// given back to it as soon as they are freed, zero-filled.
//
// Kept out of malloc on purpose: glibc raises the size from which it maps a
// block to the largest mapped block freed, so after one report the next
// one's blocks would come from the heap of the thread that read them, whose
// top malloc_trim does not give back; the host would keep megabytes after
// every report had been closed.
namespace MappedMemory {

// Throws std::bad_alloc when the system has no more.
inline void* Take(std::size_t bytes) {
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    return block;
}

inline void Give(void* block, std::size_t bytes) noexcept {
    if (block) ::munmap(block, bytes);
}

}  // namespace MappedMemory
