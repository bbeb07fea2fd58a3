#pragma once

#include <cstdint>

namespace vela {

// The process-wide pseudo-random generator shared by the series library (random fills, random
// pair sampling, drawing from a histogram). It starts from a fixed seed, so a run is
// repeatable until someone reseeds it. Used from the user-interface thread only; no locking.

// Restarts the sequence from `seed`.
void SeedPseudoRandom(std::uint64_t seed);

// A uniform value in [0, 1) with 53 random bits.
double PseudoRandomUnit();

// A uniform whole number in 0..n-1; 0 when n <= 0 (the generator does not advance then).
std::int32_t PseudoRandomBelow(std::int32_t n);

}  // namespace vela
