// How a library declares and picks its kernel tables (one per vector set,
// vector_set.h), generated from the one list of sets; and the entries of a
// kernel written once for 32- and 64-bit lanes, generated from its name.
//
//   SENSOR_DECLARE_KERNEL_TABLES(GlazetKernels, kGlazetKernels)
//     declares `extern const GlazetKernels kGlazetKernels;` in the namespace
//     kernels::<set> of the enclosing namespace, for every set;
//   SENSOR_ACTIVE_KERNEL_TABLE(kGlazetKernels)
//     is the active set's one (from the enclosing namespace of the above);
//   SENSOR_BY_LANE_WIDTH(MarkGlobalRun)
//     is a table entry {&MarkGlobalRun<std::uint32_t>, &MarkGlobalRun<std::uint64_t>}
//     for a field of type ByLaneWidth<...>.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/kernels/vector_set.h"
#include "common/kernels/vector_set_list.h"

namespace sensor {

// A kernel's pointers for both lane widths; Fn<Lane> is its pointer type.
template <template <class> class Fn>
struct ByLaneWidth {
  Fn<std::uint32_t> Lane32;
  Fn<std::uint64_t> Lane64;

  template <class Lane>
  Fn<Lane> Of() const {
    static_assert(sizeof(Lane) == 4 || sizeof(Lane) == 8);
    if constexpr (sizeof(Lane) == 4) {
      return Lane32;
    } else {
      return Lane64;
    }
  }
};

template <class Table>
const Table& TableOfActiveSet(const Table* const (&tables)[kVectorSetCount]) {
  return *tables[static_cast<std::size_t>(ActiveVectorSet())];
}

}  // namespace sensor

#define SENSOR_KERNEL_TABLE_DECLARATION_(set, Enumerator, Table, name) \
  namespace set {                                                      \
  extern const Table name;                                             \
  }
#define SENSOR_DECLARE_KERNEL_TABLES(Table, name) \
  namespace kernels {                             \
  SENSOR_FOR_EACH_VECTOR_SET(SENSOR_KERNEL_TABLE_DECLARATION_, Table, name) \
  }

#define SENSOR_KERNEL_TABLE_ADDRESS(set, Enumerator, name) &kernels::set::name,
// Every set's table `name`, in the order of VectorSet, as an array's initialiser.
#define SENSOR_KERNEL_TABLES(name) {SENSOR_FOR_EACH_VECTOR_SET(SENSOR_KERNEL_TABLE_ADDRESS, name)}
#define SENSOR_ACTIVE_KERNEL_TABLE(name) ::sensor::TableOfActiveSet(SENSOR_KERNEL_TABLES(name))

#define SENSOR_BY_LANE_WIDTH(kernel) {&kernel<std::uint32_t>, &kernel<std::uint64_t>}
