// The shared kernels of one vector set (SENSOR_KERNEL_SET), compiled once per
// set by cmake/Kernels.cmake: everything this file includes from kernels/ is
// compiled for that set.
#include "common/kernels/kernel_set.h"
// (kernel_set.h first: it checks that a set is being compiled.)
#include "common/kernels/band_row_updates.h"
#include "common/kernels/common_kernels.h"
#include "common/kernels/level_sum_rows.h"
#include "common/kernels/prefix_sum_rows.h"

namespace sensor::kernels::SENSOR_KERNEL_SET {

extern const CommonKernels kCommonKernels = {
    &PrefixSums32, &PrefixSums64, &SumColourRow, &SumBayerRow, &UpdateColumns32, &UpdateColumns64,
};

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
