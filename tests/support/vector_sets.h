// Runs a check once on each vector set this processor has
// (common/kernels/vector_set.h) and, within each set, once on each thread
// split (common/parallel_rows.h), so that the equivalence tests hold every
// compiled copy of the row kernels and every way of cutting the rows into
// parts against the plain rules in one process.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/kernels/vector_set.h"
#include "common/parallel_rows.h"

namespace sensor::test {

// The thread counts a check runs with: one (the single-thread path), three
// (parts of unequal rows on most pictures) and more threads than the test
// pictures have rows (parts of one row each). All but the first split work
// of any size.
inline constexpr int kThreadSplits[] = {1, 3, 64};

// body() once per available set and thread count, those active meanwhile;
// failures name them. The set active before is active again afterwards, and
// the thread count is the environment's again.
template <class Body>
void ForEachVectorSet(const Body& body) {
  const VectorSet before = ActiveVectorSet();
  for (VectorSet set : AvailableVectorSets()) {
    ASSERT_TRUE(SetVectorSet(set));
    for (int threads : kThreadSplits) {
      SetAnalysisThreads(threads, threads > 1);
      SCOPED_TRACE(std::string("vector set ") + VectorSetName(set) + ", " + std::to_string(threads) + " threads");
      body();
      if (::testing::Test::HasFatalFailure()) break;
    }
    if (::testing::Test::HasFatalFailure()) break;
  }
  SetAnalysisThreads(0);
  SetVectorSet(before);
}

}  // namespace sensor::test

// A test whose body runs once per available vector set and thread split:
//   SENSOR_VECTOR_SET_TEST(Suite, Name) { ...checks... }
#define SENSOR_VECTOR_SET_TEST(suite, name)                                          \
  void suite##_##name##_OnOneVectorSet();                                            \
  TEST(suite, name) { ::sensor::test::ForEachVectorSet(suite##_##name##_OnOneVectorSet); } \
  void suite##_##name##_OnOneVectorSet()
