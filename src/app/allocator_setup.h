#pragma once

namespace vela::app {

// Gives the C library's allocator settings that suit a process holding a few hundred MB of
// bars. Called first thing in main, before any other thread exists; does nothing when the
// user set the allocator's tunables himself or the platform has no such settings.
void SetUpAllocator() noexcept;

}  // namespace vela::app
