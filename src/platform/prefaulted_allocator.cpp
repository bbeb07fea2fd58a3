#include "platform/prefaulted_allocator.h"

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

namespace vela {

namespace {

// Writes one byte per page; the block holds no objects yet, so any byte may be written.
void TouchPages(unsigned char* from, unsigned char* to) {
    constexpr std::size_t kPage = 4096;
    volatile unsigned char* const block = from;
    const auto bytes = static_cast<std::size_t>(to - from);
    for (std::size_t at = 0; at < bytes; at += kPage) block[at] = 0;
}

}  // namespace

void TouchPagesOnAllCores(void* block, std::size_t bytes) {
    auto* begin = static_cast<unsigned char*>(block);
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t share = bytes / cores;
    std::vector<std::future<void>> others;
    for (std::size_t k = 1; k < cores; ++k) {
        unsigned char* from = begin + k * share;
        unsigned char* to = k + 1 == cores ? begin + bytes : from + share;
        try {
            others.push_back(std::async(std::launch::async, [from, to] { TouchPages(from, to); }));
        } catch (...) {
            TouchPages(from, to);  // no thread to be had: do it here
        }
    }
    TouchPages(begin, begin + std::min(share, bytes));
    for (std::future<void>& f : others) f.wait();
}

}  // namespace vela
