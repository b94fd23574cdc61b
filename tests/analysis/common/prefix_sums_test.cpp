// Both compiled copies of the band's prefix sums against the plain running
// sum: every length around the vector widths, both steps, both lane widths,
// non-zero starting sums, and values that make the sums wrap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "common/cpu_features.h"
#include "common/prefix_sums.h"

namespace sensor {
namespace {

template <class Lane>
using Kernel = void (*)(const Lane*, Lane*, std::size_t, std::size_t);

template <class Lane>
std::vector<Lane> PlainPrefix(const std::vector<Lane>& values, std::size_t step, const Lane (&start)[2]) {
  std::vector<Lane> prefix(values.size() + step);
  for (std::size_t i = 0; i < step; ++i) prefix[i] = start[i];
  for (std::size_t i = 0; i < values.size(); ++i) prefix[i + step] = static_cast<Lane>(prefix[i] + values[i]);
  return prefix;
}

template <class Lane>
void ExpectKernelMatchesPlainSums(Kernel<Lane> kernel, const char* name) {
  std::mt19937_64 random(11);
  for (std::size_t step : {1u, 2u}) {
    for (std::size_t n = 0; n <= 70; ++n) {
      std::vector<Lane> values(n);
      // Large values wrap the sums around the lane's range.
      for (auto& v : values) v = static_cast<Lane>(n % 3 == 0 ? random() : random() % 4096);
      const Lane start[2] = {static_cast<Lane>(random()), static_cast<Lane>(random())};
      const std::vector<Lane> expected = PlainPrefix(values, step, start);
      std::vector<Lane> prefix(n + step, Lane{0});
      for (std::size_t i = 0; i < step; ++i) prefix[i] = start[i];
      kernel(values.data(), prefix.data(), n, step);
      ASSERT_EQ(prefix, expected) << name << ", " << sizeof(Lane) * 8 << "-bit lanes, step " << step
                                  << ", " << n << " columns";
    }
  }
}

TEST(PrefixSums, TheBaselineCopyMatchesThePlainRunningSum) {
  ExpectKernelMatchesPlainSums<std::uint32_t>(prefix_kernels::Baseline, "baseline");
  ExpectKernelMatchesPlainSums<std::uint64_t>(prefix_kernels::Baseline, "baseline");
}

TEST(PrefixSums, TheAvx2CopyMatchesThePlainRunningSum) {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "this processor has no AVX2";
  ExpectKernelMatchesPlainSums<std::uint32_t>(prefix_kernels::Avx2, "AVX2");
  ExpectKernelMatchesPlainSums<std::uint64_t>(prefix_kernels::Avx2, "AVX2");
}

TEST(VectorWidth, FollowsTheProcessorUnlessTheEnvironmentAsksForTheBaseline) {
  const char* choice = std::getenv("SENSOR_VECTORS");
  if (choice != nullptr && std::strcmp(choice, "baseline") == 0) {
    EXPECT_FALSE(UseAvx2());
  } else {
    __builtin_cpu_init();
    EXPECT_EQ(UseAvx2(), __builtin_cpu_supports("avx2") != 0);
  }
}

}  // namespace
}  // namespace sensor
