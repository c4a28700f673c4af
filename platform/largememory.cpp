#include "platform/largememory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr uintptr_t kHugePage = uintptr_t{2} << 20;

}  // namespace

void AdviseHugePages(void* data, size_t bytes) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (bytes < kHugePage || end <= first) return;
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void KeepFreedMemoryForReuse() {
    // Blocks up to a 4000 x 3000 picture's planes come from the heap, which
    // keeps what is freed; larger ones are still mapped and unmapped alone.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}
