#include "app/allocator_setup.h"

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace vela::app {

namespace {
#if defined(__GLIBC__) && defined(__linux__)
// Big blocks come from the heap (not from mappings of their own), so the memory of a freed
// temporary serves the next one without being faulted in and cleared again.
constexpr int kMmapThreshold = 1 << 30;
// The heap is grown once by this much, and that stretch is marked for transparent huge
// pages: one page fault per 2 MB instead of per 4 KB, and page faults are most of the cost
// of loading a million bars. It is address space only; memory is used as it is touched.
constexpr std::size_t kHugeHeapBytes = std::size_t{512} << 20;
// Freed heap up to a little more than that stays with the program for the next big block.
constexpr int kTrimThreshold = static_cast<int>(kHugeHeapBytes) + (64 << 20);
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
#endif
}  // namespace

void SetUpAllocator() noexcept {
#if defined(__GLIBC__) && defined(__linux__)
    // The user's own settings win.
    if (std::getenv("GLIBC_TUNABLES") != nullptr) return;
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    // Worker threads (loading a file, writing the table) allocate from the same heap: an
    // arena of their own would serve big blocks without the huge pages and the reuse.
    mallopt(M_ARENA_MAX, 1);
    void* block = std::malloc(kHugeHeapBytes);
    if (block == nullptr) return;
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + kHugeHeapBytes) & ~(kHugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);  // a hint only
    // Back to the heap, which keeps it (see the trim threshold) for the blocks to come.
    std::free(block);
#endif
}

}  // namespace vela::app
