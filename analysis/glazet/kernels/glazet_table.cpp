// The package library's kernels of one vector set (SENSOR_KERNEL_SET),
// compiled once per set by cmake/Kernels.cmake: everything this file includes
// from kernels/ is compiled for that set.
#include "common/kernels/kernel_set.h"
// (kernel_set.h first: it checks that a set is being compiled.)
#include "glazet/kernels/glazet_kernels.h"
#include "glazet/kernels/local_band_rows.h"
#include "glazet/kernels/map_painting.h"
#include "glazet/kernels/run_marks.h"

namespace sensor::glazet::kernels::SENSOR_KERNEL_SET {

extern const GlazetKernels kGlazetKernels = {
    SENSOR_BY_LANE_WIDTH(MarkGlobalRun), SENSOR_BY_LANE_WIDTH(MarkLocalRun), &MarkLocalRow32, &PaintRow,
};

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
