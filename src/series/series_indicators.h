#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vela {

// Solves A x = b by Gaussian elimination with a row exchange only where a pivot is below 1e-12
// in magnitude. A holds n rows of n entries one after another and is overwritten; b is left as
// it is. err: 0 solved (x then holds the n unknowns), 1 for n <= 0, 2 for a singular system,
// 3 for n above kMaxLinearSystemOrder or an A or b too small for n. x is written only on
// success.
void SolveLinearSystem(std::int32_t n, std::span<double> A, std::span<const double> b,
                       std::uint8_t& err, std::vector<double>& x);

}  // namespace vela
