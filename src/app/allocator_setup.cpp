#include "app/allocator_setup.h"

#include <cstdlib>

#include <unistd.h>

namespace vela::app {

namespace {
// Set only for the copy started below, so it never starts another.
constexpr const char* kMarker = "VELA_ALLOCATOR_SET";
constexpr const char* kTunables = "GLIBC_TUNABLES";
// hugetlb=1: big blocks are backed by transparent huge pages (the system's "madvise"
// mode), one page fault per 2 MB instead of per 4 KB; page faults are most of the cost of
// loading a million bars. mmap_threshold: big blocks come from the heap, so the memory of a
// freed temporary serves the next one without being faulted in and cleared again.
// trim_threshold: up to 256 MB of freed heap stay with the program for the next big block
// instead of going back to the system and coming back as fresh pages to clear.
// arena_max=1: worker threads (loading a file, writing the table) allocate from that same
// heap; an arena of their own would serve big blocks without huge pages and reuse.
constexpr const char* kSettings =
    "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=1073741824:"
    "glibc.malloc.trim_threshold=268435456:glibc.malloc.arena_max=1";
}  // namespace

void SetUpAllocator(char** argv) noexcept {
#if defined(__GLIBC__) && defined(__linux__)
    if (std::getenv(kMarker) != nullptr) {
        // The copy: the settings took effect at its start; programs it starts do not inherit.
        unsetenv(kMarker);
        unsetenv(kTunables);
        return;
    }
    // The user's own settings win.
    if (std::getenv(kTunables) != nullptr || argv == nullptr || argv[0] == nullptr) return;
    // glibc reads these settings only when a program starts, hence the new start.
    if (setenv(kTunables, kSettings, 1) != 0) return;
    if (setenv(kMarker, "1", 1) == 0) execv("/proc/self/exe", argv);
    // Still here: run on with the defaults.
    unsetenv(kMarker);
    unsetenv(kTunables);
#else
    (void)argv;
#endif
}

}  // namespace vela::app
