// Runs a check once on each vector set this processor has
// (common/kernels/vector_set.h), so that the equivalence tests hold every
// compiled copy of the row kernels against the plain rules in one process.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/kernels/vector_set.h"

namespace sensor::test {

// body() once per available set, that set active meanwhile; failures name the
// set. The set active before is active again afterwards.
template <class Body>
void ForEachVectorSet(const Body& body) {
  const VectorSet before = ActiveVectorSet();
  for (VectorSet set : AvailableVectorSets()) {
    ASSERT_TRUE(SetVectorSet(set));
    SCOPED_TRACE(std::string("vector set ") + VectorSetName(set));
    body();
    if (::testing::Test::HasFatalFailure()) break;
  }
  SetVectorSet(before);
}

}  // namespace sensor::test

// A test whose body runs once per available vector set:
//   SENSOR_VECTOR_SET_TEST(Suite, Name) { ...checks... }
#define SENSOR_VECTOR_SET_TEST(suite, name)                                          \
  void suite##_##name##_OnOneVectorSet();                                            \
  TEST(suite, name) { ::sensor::test::ForEachVectorSet(suite##_##name##_OnOneVectorSet); } \
  void suite##_##name##_OnOneVectorSet()
