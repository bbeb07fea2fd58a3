#pragma once

namespace vela::app {

// Gives the C library's allocator settings that suit a process holding a few hundred MB of
// bars: called first thing in main, it may replace the process with a fresh copy of itself
// (same arguments) once. Returns when there is nothing to do or anything fails.
void SetUpAllocator(char** argv) noexcept;

}  // namespace vela::app
