#include "metastock/large_block.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace metastock {

#if defined(__linux__)

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

std::size_t Rounded(std::size_t size)
{
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

// A mapping of the block's size plus one huge page, cut down to the part that starts on a huge page
// boundary, so that the kernel can give it huge pages when it is asked to.
void* AllocateLarge(std::size_t size)
{
    const std::size_t rounded = Rounded(size);
    void* const mapped = ::mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + kHugePage - aligned; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + rounded), tail);
    void* const block = reinterpret_cast<void*>(aligned);
    ::madvise(block, rounded, MADV_HUGEPAGE);  // only advice: without it the block still works
    return block;
}

void FreeLarge(void* block, std::size_t size) noexcept
{
    ::munmap(block, Rounded(size));
}

#else

void* AllocateLarge(std::size_t size)
{
    return ::operator new(size);
}

void FreeLarge(void* block, std::size_t) noexcept
{
    ::operator delete(block);
}

#endif

}  // namespace metastock
