// Kernel: one row of a local band scan (window_search.h) in one call. Both
// bands move down by their one update, their prefix sums are rebuilt and the
// centred run is marked, strip by strip along the row, so that a strip's
// column sums, prefix sums and marks are still in the nearest cache when the
// next pass reads them. Each pass computes exactly what it computes alone.
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/kernels/band_row_updates.h"
#include "common/kernels/kernel_set.h"
#include "common/kernels/prefix_sum_rows.h"
#include "glazet/kernels/glazet_kernels.h"
#include "glazet/kernels/run_marks.h"

namespace sensor::glazet::kernels::SENSOR_KERNEL_SET {

// Lattice columns per strip: the strip's share of the two bands' column and
// prefix sums, of their four rows and of the map takes about 20 KB.
inline constexpr std::int64_t kStripColumns = 512;

// The pixels of the next strip of the row entering the wider band are the
// ones that come from memory rather than from a cache (the other rows were
// read a few rows earlier): asked for a quarter at a time while this strip is
// worked on, so that the requests never queue up.
struct StripAhead {
  const std::uint8_t* First = nullptr;
  std::int64_t Bytes = 0;

  void Ask(int quarter) const {
    const std::int64_t end = Bytes * (quarter + 1) / 4;
    for (std::int64_t b = Bytes * quarter / 4 / 64 * 64; b < end; b += 64) __builtin_prefetch(First + b);
  }
};

inline void MoveStrip(const ColumnValues& values, const BandRowMove& band, std::int64_t first, std::int64_t n) {
  const std::int64_t bytes = first * values.BytesPerPixel * values.PixelPitch;
  const std::uint8_t* enter = band.Enter != nullptr ? band.Enter + bytes : nullptr;
  const std::uint8_t* leave = band.Leave != nullptr ? band.Leave + bytes : nullptr;
  if (enter != nullptr || leave != nullptr) {
    sensor::kernels::SENSOR_KERNEL_SET::UpdateColumns(values, enter, leave, band.Columns + first, n);
  }
}

inline void BuildStripPrefix(const BandRowMove& band, std::int64_t first, std::int64_t n) {
  sensor::kernels::SENSOR_KERNEL_SET::BuildPrefix32(band.Columns + first, band.Prefix + first,
                                                    static_cast<std::size_t>(n), 1);
}

SENSOR_KERNEL std::int64_t MarkLocalRow32(const ColumnValues& values, std::int64_t columns, const BandRowMove& inner,
                                          const BandRowMove& outer, std::int64_t index, std::int64_t n,
                                          RelativeScreen<float> screen, std::uint8_t* __restrict map,
                                          std::int64_t step, bool& unsure) {
  // Run pixel k is judged once both prefix sums reach index + k + reach.
  const std::int64_t reach = std::max(inner.Half, outer.Half) + 1;
  const std::int64_t pixelBytes = values.BytesPerPixel * values.PixelPitch;
  const std::uint8_t* cold = inner.Half > outer.Half ? inner.Enter : outer.Enter;
  std::int64_t candidates = 0, judged = 0;
  unsure = false;
  for (std::int64_t first = 0; first < columns; first += kStripColumns) {
    const std::int64_t end = std::min(columns, first + kStripColumns);
    StripAhead ahead;
    if (cold != nullptr) ahead = StripAhead{cold + end * pixelBytes, (std::min(columns, end + kStripColumns) - end) * pixelBytes};
    ahead.Ask(0);
    MoveStrip(values, inner, first, end - first);
    ahead.Ask(1);
    MoveStrip(values, outer, first, end - first);
    ahead.Ask(2);
    BuildStripPrefix(inner, first, end - first);
    BuildStripPrefix(outer, first, end - first);
    ahead.Ask(3);
    const std::int64_t ready = end == columns ? n : std::min(n, end - reach - index + 1);
    if (ready <= judged) continue;
    const CentredRun<std::uint32_t> in{inner.Prefix, index + judged, inner.Half};
    const CentredRun<std::uint32_t> out{outer.Prefix, index + judged, outer.Half};
    bool stripUnsure = false;
    candidates += MarkLocalRun<std::uint32_t>(in, out, ready - judged, screen, map + judged * step, step, stripUnsure);
    unsure = unsure || stripUnsure;
    judged = ready;
  }
  return candidates;
}

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
