// The split of rows between threads: how many threads, how rows are cut into
// parts, and that every part runs and keeps what it throws to itself.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include "common/parallel_rows.h"

namespace sensor {
namespace {

// SENSOR_EXPECTED_THREADS names the count the environment must give: a number,
// or "affinity" (also when unset) for the processors of the affinity mask.
// CTest runs this with SENSOR_THREADS values and under taskset.
TEST(AnalysisThreads, FollowTheEnvironmentOrTheAffinityMask) {
  const char* expected = std::getenv("SENSOR_EXPECTED_THREADS");
  if (expected == nullptr && std::getenv("SENSOR_THREADS") != nullptr) GTEST_SKIP() << "SENSOR_THREADS is set";
  cpu_set_t set;
  CPU_ZERO(&set);
  ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
  const bool affinity = expected == nullptr || std::string(expected) == "affinity";
  EXPECT_EQ(AnalysisThreads(), affinity ? CPU_COUNT(&set) : std::atoi(expected));
}

TEST(AnalysisThreads, PartsAreConsecutiveRowsOfNearlyEqualSize) {
  for (int parts : {1, 2, 3, 7}) {
    for (std::int64_t rows : {7, 10, 1000}) {
      EXPECT_EQ(PartStart(5, rows, 0, parts), 5);
      EXPECT_EQ(PartStart(5, rows, parts, parts), 5 + rows);
      for (int i = 0; i < parts; ++i) {
        const std::int64_t size = PartStart(5, rows, i + 1, parts) - PartStart(5, rows, i, parts);
        EXPECT_TRUE(size == rows / parts || size == rows / parts + 1) << rows << " rows, part " << i << " of " << parts;
      }
    }
  }
}

TEST(AnalysisThreads, SmallWorkStaysOnOneThreadUnlessSplitOnPurpose) {
  SetAnalysisThreads(8);
  EXPECT_EQ(PartsFor(100, 100), 1);
  EXPECT_EQ(PartsFor(3, kMinimumPartWork), 3);  // at most one part per row
  EXPECT_EQ(PartsFor(6000, 8000), 8);
  SetAnalysisThreads(8, true);
  EXPECT_EQ(PartsFor(5, 1), 5);
  EXPECT_EQ(PartsFor(0, 1), 1);
  SetAnalysisThreads(1, true);
  EXPECT_EQ(PartsFor(6000, 8000), 1);
  SetAnalysisThreads(0);
}

TEST(AnalysisThreads, EveryPartRunsAndKeepsWhatItThrows) {
  std::atomic<int> ran{0};
  const auto failures = RunParts(6, [&](int part) {
    ++ran;
    if (part == 0) throw std::bad_alloc();
    if (part == 4) throw std::runtime_error("part 4");
  });
  EXPECT_EQ(ran.load(), 6);
  ASSERT_EQ(failures.size(), 6u);
  for (int part = 0; part < 6; ++part) EXPECT_EQ(failures[static_cast<std::size_t>(part)] != nullptr, part == 0 || part == 4);
  EXPECT_THROW(RethrowFirst(failures), std::bad_alloc);
}

// A call's own settings hold on its thread and on every part it starts,
// nested scopes restore what was before, and other threads never see them.
TEST(AnalysisThreads, ACallsSettingsReachItsPartsAndNoOtherThread) {
  const int processDefault = AnalysisThreads();
  const std::atomic<bool> cancel{true};
  int seenElsewhere = -1;
  {
    const CallScope outer({5, nullptr});
    EXPECT_EQ(AnalysisThreads(), 5);
    EXPECT_FALSE(CallCancelled());
    {
      const CallScope inner({2, &cancel});
      EXPECT_EQ(AnalysisThreads(), 2);
      std::atomic<int> partsSeeing{0};
      RethrowFirst(RunParts(3, [&](int) {
        if (AnalysisThreads() == 2 && CallCancelled()) ++partsSeeing;
      }));
      EXPECT_EQ(partsSeeing.load(), 3);
      std::thread other([&] { seenElsewhere = AnalysisThreads() * (CallCancelled() ? -1 : 1); });
      other.join();
    }
    EXPECT_EQ(AnalysisThreads(), 5);
    EXPECT_FALSE(CallCancelled());
  }
  EXPECT_EQ(seenElsewhere, processDefault);
  EXPECT_EQ(AnalysisThreads(), processDefault);
}

}  // namespace
}  // namespace sensor
