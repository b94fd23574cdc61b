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

template <class Lane>
SENSOR_KERNEL void PrefixSums(const Lane* __restrict values, Lane* __restrict prefix, std::size_t n,
                              std::size_t step) {
  SENSOR_KERNEL_PRECONDITION(step == 1 || step == 2);
  SENSOR_KERNEL_PRECONDITION(n == 0 || (values != nullptr && prefix != nullptr));
  if constexpr (sizeof(Lane) == 4) {
    BuildPrefix32(values, prefix, n, step);
  } else {
    BuildPrefix64(values, prefix, n, step);
  }
}

template <class Lane>
SENSOR_KERNEL void UpdateColumnSums(const ColumnValues& values, const std::uint8_t* enter, const std::uint8_t* leave,
                                   Lane* __restrict columns, std::int64_t n) {
  SENSOR_KERNEL_PRECONDITION(ValidColumnValues(values));
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (columns != nullptr && (enter != nullptr || leave != nullptr))));
  UpdateColumns(values, enter, leave, columns, n);
}

extern const CommonKernels kCommonKernels = {
    SENSOR_BY_LANE_WIDTH(PrefixSums), &SumColourRow, &SumBayerRow, SENSOR_BY_LANE_WIDTH(UpdateColumnSums),
};

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
