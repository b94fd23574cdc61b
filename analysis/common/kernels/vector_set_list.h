// The one list of vector sets. Everything that is written once per set (the
// VectorSet enumerators, their names, the kernel tables' declarations and the
// choice of the active table) is generated from it; cmake/Kernels.cmake's
// SENSOR_VECTOR_SETS compiles the kernel sources once for each name here.
//
// SENSOR_FOR_EACH_VECTOR_SET(X, args...) expands to X(name, Enumerator,
// args...) for every set, in the order of the VectorSet enumerators: `name`
// is the set's name (VectorSetName, SENSOR_VECTORS) and the namespace its
// kernels are compiled into, `Enumerator` its VectorSet.
#pragma once

#define SENSOR_FOR_EACH_VECTOR_SET(X, ...) \
  X(baseline, Baseline, __VA_ARGS__)       \
  X(avx2, Avx2, __VA_ARGS__)

#define SENSOR_VECTOR_SET_STRINGIFY_(x) #x
#define SENSOR_VECTOR_SET_STRINGIFY(x) SENSOR_VECTOR_SET_STRINGIFY_(x)

namespace sensor {

#define SENSOR_VECTOR_SET_NAME_(name, Enumerator, ...) #name,
// The sets' names, in the order of the list.
inline constexpr const char* kVectorSetNames[] = {SENSOR_FOR_EACH_VECTOR_SET(SENSOR_VECTOR_SET_NAME_, )};
#undef SENSOR_VECTOR_SET_NAME_

inline constexpr int kVectorSetCount = static_cast<int>(sizeof kVectorSetNames / sizeof kVectorSetNames[0]);

// Whether `name` is one of the sets' names.
constexpr bool IsVectorSetName(const char* name) {
  for (const char* listed : kVectorSetNames) {
    int i = 0;
    while (listed[i] != '\0' && listed[i] == name[i]) ++i;
    if (listed[i] == name[i]) return true;
  }
  return false;
}

}  // namespace sensor
