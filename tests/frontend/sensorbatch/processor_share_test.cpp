// How the processors are shared between workers and the analyses' threads.
#include "frontend/sensorbatch/processor_share.h"

#include <gtest/gtest.h>

namespace sensor::batch {
namespace {

TEST(ShareProcessors, NeverMoreWorkersThanGroupsAndEachWorkerAnEqualPart) {
  struct Case {
    int Processors;
    std::optional<int> Workers;
    std::size_t Groups;
    int ExpectWorkers;
    int ExpectThreads;
  };
  const Case cases[] = {
      {8, std::nullopt, 100, 8, 1},  // one worker per processor
      {8, std::nullopt, 1, 1, 8},    // one picture's tests: every processor to its analyses
      {8, std::nullopt, 3, 3, 2},    // an equal part, rounded down
      {8, 3, 100, 3, 2},
      {2, 6, 100, 6, 1},             // more workers than processors: one thread each
      {4, 0, 100, 1, 4},             // at least one worker
      {4, std::nullopt, 0, 4, 1},    // nothing to run
  };
  for (const Case& c : cases) {
    const ProcessorShare share = ShareProcessors(c.Processors, c.Workers, c.Groups);
    EXPECT_EQ(share.Workers, c.ExpectWorkers) << c.Processors << " processors, " << c.Groups << " groups";
    EXPECT_EQ(share.AnalysisThreads, c.ExpectThreads) << c.Processors << " processors, " << c.Groups << " groups";
  }
}

}  // namespace
}  // namespace sensor::batch
