// The instruction sets the row kernels are compiled for, and the one they run
// on.
//
// Every row kernel (the loops over a row of pixels or column sums that vector
// units speed up) is written once, in a kernels/ folder, and compiled once per
// set into a namespace of its own: sensor::kernels::baseline for the x86-64
// baseline, ...::avx2 for AVX2 with the one-instruction bit count every AVX2
// processor has (cmake/Kernels.cmake). Each library collects its kernels of
// one set in a table of function pointers and calls them through the table of
// the active set. All sets compute the same integers and the same IEEE
// doubles in the same order, so results never depend on the set.
//
// The active set is chosen once, at the first call: AVX2 when the processor
// has it and the environment variable SENSOR_VECTORS is not "baseline". Tests
// switch it with SetVectorSet to hold every set against the plain rules in one
// process.
#pragma once

#include <vector>

#include "common/kernels/vector_set_list.h"

namespace sensor {

#define SENSOR_VECTOR_SET_ENUMERATOR_(name, Enumerator, ...) Enumerator,
// In the order of vector_set_list.h, which is the order of their widths.
enum class VectorSet { SENSOR_FOR_EACH_VECTOR_SET(SENSOR_VECTOR_SET_ENUMERATOR_, ) };
#undef SENSOR_VECTOR_SET_ENUMERATOR_

// The set's name in vector_set_list.h: "baseline", "avx2".
const char* VectorSetName(VectorSet set);

// Whether this processor runs the set.
bool VectorSetAvailable(VectorSet set);

// Every set this processor runs, the baseline first.
std::vector<VectorSet> AvailableVectorSets();

// The set the kernels run on.
VectorSet ActiveVectorSet();

// Makes `set` the active one for the whole process; false, changing nothing,
// when the processor does not run it. Not meant to race with running kernels.
bool SetVectorSet(VectorSet set);

}  // namespace sensor
