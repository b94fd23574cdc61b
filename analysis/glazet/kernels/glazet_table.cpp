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
    &MarkGlobalRun<std::uint32_t>, &MarkGlobalRun<std::uint64_t>, &MarkLocalRun<std::uint32_t>,
    &MarkLocalRun<std::uint64_t>,  &MarkLocalRow32, &PaintRow,
};

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
