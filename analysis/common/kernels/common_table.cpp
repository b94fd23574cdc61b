// The shared kernels of one vector set (SENSOR_KERNEL_SET), compiled once per
// set by cmake/Kernels.cmake: everything this file includes from kernels/ is
// compiled for that set. The band kernels are defined here from the inline
// loops of their headers, which other libraries' kernels use as well.
#include "common/kernels/kernel_set.h"
// (kernel_set.h first: it checks that a set is being compiled.)
#include "common/kernels/band_row_updates.h"
#include "common/kernels/common_kernels.h"
#include "common/kernels/level_sum_rows.h"
#include "common/kernels/prefix_sum_rows.h"
#include "common/precondition.h"

namespace sensor::kernels::SENSOR_KERNEL_SET {

SENSOR_KERNEL void PrefixSums32(const std::uint32_t* __restrict values, std::uint32_t* __restrict prefix,
                                std::size_t n, std::size_t step) {
  SENSOR_KERNEL_PRECONDITION(step == 1 || step == 2);
  SENSOR_KERNEL_PRECONDITION(n == 0 || (values != nullptr && prefix != nullptr));
  BuildPrefix32(values, prefix, n, step);
}

SENSOR_KERNEL void PrefixSums64(const std::uint64_t* __restrict values, std::uint64_t* __restrict prefix,
                                std::size_t n, std::size_t step) {
  SENSOR_KERNEL_PRECONDITION(step == 1 || step == 2);
  SENSOR_KERNEL_PRECONDITION(n == 0 || (values != nullptr && prefix != nullptr));
  BuildPrefix64(values, prefix, n, step);
}

SENSOR_KERNEL void UpdateColumns32(const ColumnValues& values, const std::uint8_t* enter, const std::uint8_t* leave,
                                   std::uint32_t* __restrict columns, std::int64_t n) {
  SENSOR_KERNEL_PRECONDITION(ValidColumnValues(values));
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (columns != nullptr && (enter != nullptr || leave != nullptr))));
  UpdateColumns(values, enter, leave, columns, n);
}

SENSOR_KERNEL void UpdateColumns64(const ColumnValues& values, const std::uint8_t* enter, const std::uint8_t* leave,
                                   std::uint64_t* __restrict columns, std::int64_t n) {
  SENSOR_KERNEL_PRECONDITION(ValidColumnValues(values));
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (columns != nullptr && (enter != nullptr || leave != nullptr))));
  UpdateColumns(values, enter, leave, columns, n);
}

extern const CommonKernels kCommonKernels = {
    &PrefixSums32, &PrefixSums64, &SumColourRow, &SumBayerRow, &UpdateColumns32, &UpdateColumns64,
};

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
