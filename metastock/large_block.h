#pragma once
// Memory for a large block that is filled once from its start and freed soon after, such as the data
// records of a whole input: where the system has them, it comes in pages of 2 MB, which spares the
// page fault that every 4 KB of fresh memory costs otherwise.

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace metastock {

// Blocks of at least this size come from AllocateLarge; smaller ones from the usual heap.
inline constexpr std::size_t kLargeBlock = 1024 * 1024;

// Throws std::bad_alloc when the memory cannot be had. FreeLarge takes the size given to AllocateLarge.
void* AllocateLarge(std::size_t size);
void FreeLarge(void* block, std::size_t size) noexcept;

template <class T>
struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        const std::size_t size = n * sizeof(T);
        return static_cast<T*>(size >= kLargeBlock ? AllocateLarge(size) : ::operator new(size));
    }
    void deallocate(T* block, std::size_t n) noexcept
    {
        const std::size_t size = n * sizeof(T);
        if (size >= kLargeBlock)
            FreeLarge(block, size);
        else
            ::operator delete(block);
    }
    template <class U>
    bool operator==(const LargeBlockAllocator<U>&) const noexcept { return true; }
};

// The data records of one security as the data file holds them, in memory.
using RecordBytes = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

}  // namespace metastock
