// The chip library's kernels of one vector set (SENSOR_KERNEL_SET), compiled
// once per set by cmake/Kernels.cmake: everything this file includes from
// kernels/ is compiled for that set.
#include "common/kernels/kernel_set.h"
// (kernel_set.h first: it checks that a set is being compiled.)
#include "waferon/kernels/channel_plane_updates.h"
#include "waferon/kernels/cluster_grid_counts.h"
#include "waferon/kernels/colour_band_rows.h"
#include "waferon/kernels/sample_ring_updates.h"
#include "waferon/kernels/search_mark_rows.h"
#include "waferon/kernels/waferon_kernels.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

extern const WaferonKernels kWaferonKernels = {
    &MarkBayerOutside,
    &MarkColourOutside,
    &MarkBayerInner<std::uint32_t, false>,
    &MarkBayerInner<std::uint32_t, true>,
    &MarkBayerInner<std::uint64_t, false>,
    &MarkBayerInner<std::uint64_t, true>,
    &MoveSampleRing<std::uint32_t>,
    &MoveSampleRing<std::uint64_t>,
    &MoveColourBand<std::uint16_t, false>,
    &MoveColourBand<std::uint16_t, true>,
    &MoveColourBand<std::uint32_t, false>,
    &MoveColourBand<std::uint32_t, true>,
    &CountMarkedPairs,
};

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
