// SENSOR_PRECONDITION(condition): a condition the caller of internal code must
// meet, checked where checks are on and compiled away elsewhere.
//
// Checks are on in builds without NDEBUG (Debug) and wherever
// SENSOR_CHECK_PRECONDITIONS is defined: the CMake option SENSOR_PRECONDITIONS
// defines it, and scripts/sanitize.sh sets that option for its RelWithDebInfo
// build. A failed check names the condition and its place on standard error
// and aborts: it marks a fault in this code, never a hostile input, which the
// libraries refuse with result codes. In Release builds the condition is not
// evaluated at all. It needs nothing but the C library, so the front end's
// picture readers use it too.
#pragma once

#if !defined(NDEBUG) || defined(SENSOR_CHECK_PRECONDITIONS)
#include <cstdio>
#include <cstdlib>

namespace sensor::detail {
[[noreturn]] inline void PreconditionFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: precondition failed: %s\n", file, line, condition);
  std::abort();
}
}  // namespace sensor::detail

#define SENSOR_PRECONDITION(condition) \
  ((condition) ? static_cast<void>(0) : ::sensor::detail::PreconditionFailed(#condition, __FILE__, __LINE__))
// In a kernel (common/kernels/kernel_set.h), which refers to no symbol, not
// even the C library's: a failed check stops at once, without a message.
#define SENSOR_KERNEL_PRECONDITION(condition) ((condition) ? static_cast<void>(0) : __builtin_trap())
#else
#define SENSOR_PRECONDITION(condition) static_cast<void>(0)
#define SENSOR_KERNEL_PRECONDITION(condition) static_cast<void>(0)
#endif
