// Included first by every kernel table source (the files compiled once per
// vector set, see vector_set.h): SENSOR_KERNEL_SET names the set being
// compiled, and with it the namespace its kernels go into.
//
// A kernel is a named function with __restrict pointers that calls nothing
// outside its own source and the inline headers it includes, all inlined into
// it (gnu::flatten), so that all of its code is compiled for its set. Its
// helpers live in the set's namespace too; nothing else is defined here.
#pragma once

#if !defined(SENSOR_KERNEL_SET)
#error "kernel sources are compiled once per vector set, with SENSOR_KERNEL_SET naming the set"
#endif

#include "common/kernels/vector_set_list.h"

static_assert(sensor::IsVectorSetName(SENSOR_VECTOR_SET_STRINGIFY(SENSOR_KERNEL_SET)),
              "SENSOR_KERNEL_SET is not in the list of vector sets (vector_set_list.h)");

// The attribute of every kernel and of its row-loop helpers.
#define SENSOR_KERNEL [[gnu::flatten]]
