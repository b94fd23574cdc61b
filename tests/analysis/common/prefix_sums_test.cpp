// Every compiled copy of the band's prefix sums against the plain running
// sum: every length around the vector widths, both steps, both lane widths,
// non-zero starting sums, and values that make the sums wrap. And the choice
// of the vector set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "common/kernels/common_kernels.h"
#include "common/kernels/vector_set.h"
#include "vector_sets.h"

namespace sensor {
namespace {

template <class Lane>
std::vector<Lane> PlainPrefix(const std::vector<Lane>& values, std::size_t step, const Lane (&start)[2]) {
  std::vector<Lane> prefix(values.size() + step);
  for (std::size_t i = 0; i < step; ++i) prefix[i] = start[i];
  for (std::size_t i = 0; i < values.size(); ++i) prefix[i + step] = static_cast<Lane>(prefix[i] + values[i]);
  return prefix;
}

template <class Lane>
void ExpectKernelMatchesPlainSums() {
  std::mt19937_64 random(11);
  const CommonKernels& k = ActiveCommonKernels();
  for (std::size_t step : {1u, 2u}) {
    for (std::size_t n = 0; n <= 70; ++n) {
      std::vector<Lane> values(n);
      // Large values wrap the sums around the lane's range.
      for (auto& v : values) v = static_cast<Lane>(n % 3 == 0 ? random() : random() % 4096);
      const Lane start[2] = {static_cast<Lane>(random()), static_cast<Lane>(random())};
      const std::vector<Lane> expected = PlainPrefix(values, step, start);
      std::vector<Lane> prefix(n + step, Lane{0});
      for (std::size_t i = 0; i < step; ++i) prefix[i] = start[i];
      k.PrefixSums.Of<Lane>()(values.data(), prefix.data(), n, step);
      ASSERT_EQ(prefix, expected) << sizeof(Lane) * 8 << "-bit lanes, step " << step << ", " << n << " columns";
    }
  }
}

TEST(PrefixSums, EveryVectorSetMatchesThePlainRunningSum) {
  test::ForEachVectorSet([] {
    ExpectKernelMatchesPlainSums<std::uint32_t>();
    ExpectKernelMatchesPlainSums<std::uint64_t>();
  });
}

// Also registered with SENSOR_VECTORS=baseline in the environment
// (tests/analysis/common/CMakeLists.txt).
TEST(VectorSet, StartsOnTheWidestAvailableSetUnlessTheEnvironmentAsksForTheBaseline) {
  const std::vector<VectorSet> sets = AvailableVectorSets();
  ASSERT_EQ(sets.front(), VectorSet::Baseline);
  EXPECT_EQ(sets.size(), VectorSetAvailable(VectorSet::Avx2) ? 2u : 1u);
  const char* choice = std::getenv("SENSOR_VECTORS");
  const bool baseline = choice != nullptr && std::strcmp(choice, "baseline") == 0;
  EXPECT_EQ(ActiveVectorSet(), baseline ? VectorSet::Baseline : sets.back());
  // Switching reaches every table; a set the processor lacks is refused and
  // the one in force stays.
  const CommonKernels* tables[] = SENSOR_KERNEL_TABLES(kCommonKernels);
  for (VectorSet set : {VectorSet::Avx2, VectorSet::Baseline, VectorSet::Avx2}) {
    const VectorSet before = ActiveVectorSet();
    EXPECT_EQ(SetVectorSet(set), VectorSetAvailable(set));
    const VectorSet now = VectorSetAvailable(set) ? set : before;
    EXPECT_EQ(ActiveVectorSet(), now);
    EXPECT_EQ(&ActiveCommonKernels(), tables[static_cast<int>(now)]) << VectorSetName(set);
  }
}

// A checked build stops at the kernel's entry on a step it has no loop for.
TEST(PrefixSums, AStepOtherThanOneOrTwoStopsACheckedBuild) {
#if defined(NDEBUG) && !defined(SENSOR_CHECK_PRECONDITIONS)
  GTEST_SKIP() << "preconditions are compiled out of this build";
#else
  std::uint32_t values[4] = {1, 2, 3, 4}, prefix[8] = {};
  // A kernel stops without a message (kernel objects refer to no symbol).
  EXPECT_DEATH(kernels::baseline::kCommonKernels.PrefixSums.Lane32(values, prefix, 4, 3), "");
#endif
}

}  // namespace
}  // namespace sensor
