// The three channel sums of the colour local search's boxes, in one of two
// forms with the same results.
//
// Planar: one band of 32-bit sums holding the red, green and blue planes side
// by side, so that one pass over the entering and leaving rows and one prefix
// pass serve all three channels, in row kernels the vector units take whole;
// exact while a box's channel sum stays below 2^32.
// Separate: a band of 64-bit sums per channel, for larger boxes.
//
// Both also mark, a row at a time, the inner pixels that may pass the
// search's integer gate (approximate_gate.h).
#pragma once

#include <array>
#include <cstdint>

#include "waferon/approximate_gate.h"
#include "waferon/kernels/waferon_kernels.h"
#include "common/window_band.h"

namespace sensor::waferon {

template <int kBpp>
class PlanarChannelBands {
 public:
  // Whether boxes of up to `pixels` pixels keep every 32-bit sum exact.
  static bool Fits(std::int64_t pixels) { return pixels >= 0 && pixels * 255 < (std::int64_t{1} << 32); }

  void Reset(const RowSource& source) {
    source_ = source;
    band_.Reset(3 * static_cast<std::size_t>(source.Columns), 1, 1);
  }

  void Cover(std::int64_t y0, std::int64_t y1) {
    const auto update = ActiveWaferonKernels().UpdateChannelPlanes;
    band_.Cover(y0, y1, [this, update](std::int64_t enter, std::int64_t leave, std::uint32_t* planes) {
      update(source_.RowOrNull(enter), source_.RowOrNull(leave), planes, source_.Columns, kBpp);
    });
  }

  // Red, green and blue sums over the columns i0 .. i1 of the covered rows.
  std::array<std::uint64_t, 3> Sum(std::size_t i0, std::size_t i1) const {
    const auto n = static_cast<std::size_t>(source_.Columns);
    return {band_.Sum(i0, i1), band_.Sum(n + i0, n + i1), band_.Sum(2 * n + i0, 2 * n + i1)};
  }

  // Marks the pixels [begin, end) of row y whose box k - e .. k + e may pass.
  template <bool kPercent>
  void MarkInner(std::int64_t y, std::int64_t begin, std::int64_t end, std::int64_t e,
                 const NarrowGate<kPercent>& gate, std::uint8_t* marks) const {
    ActiveWaferonKernels().ColourInner<kPercent>()(band_.Prefix(), source_.Columns, source_.Row(y), marks, begin,
                                                   end, e, gate, kBpp);
  }

 private:
  RowSource source_{};
  WindowBand<std::uint32_t> band_;  // red, green and blue planes side by side
};

template <int kBpp>
class SeparateChannelBands {
 public:
  void Reset(const RowSource& source) {
    source_ = source;
    for (auto& band : bands_) band.Reset(static_cast<std::size_t>(source.Columns), 1, 1);
  }

  void Cover(std::int64_t y0, std::int64_t y1) {
    for (int k = 0; k < 3; ++k) {
      const ColumnValues bytes{ColumnValues::kByte, kBpp, 0, 2 - k, 1};  // red is byte 2, blue byte 0
      bands_[k].Cover(y0, y1, [&](std::int64_t enter, std::int64_t leave, std::uint64_t* column) {
        UpdateColumns(bytes, source_, enter, leave, column);
      });
    }
  }

  std::array<std::uint64_t, 3> Sum(std::size_t i0, std::size_t i1) const {
    return {bands_[0].Sum(i0, i1), bands_[1].Sum(i0, i1), bands_[2].Sum(i0, i1)};
  }

  template <bool kPercent>
  void MarkInner(std::int64_t y, std::int64_t begin, std::int64_t end, std::int64_t e,
                 const NarrowGate<kPercent>& gate, std::uint8_t* marks) const {
    const std::uint8_t* row = source_.Row(y);
    for (std::int64_t k = begin; k < end; ++k) {
      std::int32_t sums[3];
      for (int c = 0; c < 3; ++c) {
        const std::uint64_t* prefix = bands_[c].Prefix();
        sums[c] = static_cast<std::int32_t>(static_cast<std::uint32_t>(prefix[k + e + 1] - prefix[k - e]));
      }
      const std::uint8_t* p = row + k * kBpp;
      marks[k] = static_cast<std::uint8_t>(int{gate.MayPass(sums[0], p[2])} | int{gate.MayPass(sums[1], p[1])} |
                                           int{gate.MayPass(sums[2], p[0])});
    }
  }

 private:
  RowSource source_{};
  WindowBand<std::uint64_t> bands_[3];
};

}  // namespace sensor::waferon
