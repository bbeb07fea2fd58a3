#include "platform/pseudo_random.h"

#include <random>

namespace vela {

namespace {

constexpr std::uint64_t kStartSeed = 20120620;

std::mt19937_64& Generator() {
    static std::mt19937_64 generator(kStartSeed);
    return generator;
}

}  // namespace

void SeedPseudoRandom(std::uint64_t seed) {
    Generator().seed(seed);
}

double PseudoRandomUnit() {
    // The top 53 bits scaled by 2^-53: every result is exact and below 1.
    return static_cast<double>(Generator()() >> 11) * 0x1.0p-53;
}

std::int32_t PseudoRandomBelow(std::int32_t n) {
    if (n <= 0) return 0;
    // Rejection keeps every value equally likely; at most a few draws for any n.
    const std::uint64_t range = static_cast<std::uint64_t>(n);
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    std::uint64_t r = 0;
    do {
        r = Generator()();
    } while (r >= limit);
    return static_cast<std::int32_t>(r % range);
}

}  // namespace vela
