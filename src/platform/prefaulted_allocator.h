#pragma once

#include <cstddef>
#include <memory>

namespace vela {

// Touches every page of a block of raw memory, sharing the pages among the cores.
void TouchPagesOnAllCores(void* block, std::size_t bytes);

// For big arrays that one thread is about to fill front to back (a download of a million
// bars, the chart's series): a big block is touched on all cores before it is handed out, so
// the system's work of clearing fresh pages is shared among the cores instead of falling
// page by page on the filling thread. Small blocks are handed out as they are.
template <typename T>
struct PrefaultedAllocator {
    using value_type = T;
    static constexpr std::size_t kMinBytes = std::size_t{4} << 20;

    PrefaultedAllocator() = default;
    template <typename U>
    PrefaultedAllocator(const PrefaultedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        T* block = std::allocator<T>{}.allocate(n);
        if (n >= kMinBytes / sizeof(T)) TouchPagesOnAllCores(block, n * sizeof(T));
        return block;
    }
    void deallocate(T* block, std::size_t n) noexcept { std::allocator<T>{}.deallocate(block, n); }

    template <typename U>
    bool operator==(const PrefaultedAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace vela
