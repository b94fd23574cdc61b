// Running sums along one row of a window band: prefix[i + step] = prefix[i] +
// values[i] for every i < n, with step 1 (every column) or 2 (the two column
// parities side by side). prefix[0 .. step - 1] are the starting sums and are
// left as they are.
//
// Sums wrap modulo the lane's range, so adding in another order gives the same
// prefix sums: the loops add four or eight columns at a time, and the running
// total moves on by one addition per step, which keeps them at the vector
// units' throughput rather than waiting on each other.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sensor {

void PrefixSums(const std::uint32_t* values, std::uint32_t* prefix, std::size_t n, std::size_t step);
void PrefixSums(const std::uint64_t* values, std::uint64_t* prefix, std::size_t n, std::size_t step);

// The two compiled copies, for tests that hold them against each other.
namespace prefix_kernels {
void Baseline(const std::uint32_t* values, std::uint32_t* prefix, std::size_t n, std::size_t step);
void Baseline(const std::uint64_t* values, std::uint64_t* prefix, std::size_t n, std::size_t step);
[[gnu::target("avx2")]] void Avx2(const std::uint32_t* values, std::uint32_t* prefix, std::size_t n,
                                  std::size_t step);
[[gnu::target("avx2")]] void Avx2(const std::uint64_t* values, std::uint64_t* prefix, std::size_t n,
                                  std::size_t step);
}  // namespace prefix_kernels

}  // namespace sensor
