// Huge-page advice on Linux.
#include "Memory.h"

#include <cstdint>
#include <sys/mman.h>

void AdviseLargeBuffer(char* data, std::size_t size) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = begin + size;
    // Only whole huge pages inside the buffer: the advice applies to page-aligned ranges.
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = end & ~(kHugePage - 1);
    if (first < last) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)size;
#endif
}
