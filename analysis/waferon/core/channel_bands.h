// The three channel sums of the colour local search's boxes, in one of two
// forms with the same results.
//
// Planar: the red, green and blue planes of column sums side by side, moved
// a row at a time with their prefix sums in one pass of a row kernel
// (kernels/colour_band_rows.h); 16-bit sums while a box's channel sum stays
// below 2^16 (boxes of up to 257 pixels, twice the columns per vector), else
// 32-bit ones while it stays below 2^32.
// Separate: a band of 64-bit sums per channel, for larger boxes.
//
// Both also mark, a row at a time, the inner pixels that may pass the
// search's integer gate (approximate_gate.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "waferon/core/approximate_gate.h"
#include "waferon/kernels/waferon_kernels.h"
#include "common/window_band.h"

namespace sensor::waferon {

template <int kBpp, class Lane>
class PlanarChannelBands {
 public:
  // Whether boxes of up to `pixels` pixels keep every sum exact: a box's
  // channel sum, and so every column sum within it, stays below the lane's
  // range, and the difference of two prefix sums wrapped modulo that range is
  // then the box's sum itself.
  static bool Fits(std::int64_t pixels) {
    return pixels >= 0 && pixels * 255 < (std::int64_t{1} << (8 * sizeof(Lane)));
  }

  void Reset(const RowSource& source) {
    source_ = source;
    const auto n = static_cast<std::size_t>(source.Columns);
    planes_.assign(3 * n, 0);
    prefix_.assign(3 * (n + 1), 0);
    flags_.assign(2 * (n / 256 + 1), 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  // Makes the band cover rows y0 .. y1 (none when y1 < y0), as a window band
  // does: moving down keeps the rows shared with the previous range. The last
  // row update goes with the prefix sums and the marks of `mark` in one pass
  // (kernels/colour_band_rows.h).
  template <bool kPercent>
  void Cover(std::int64_t y0, std::int64_t y1, const ColourInnerRequest<kPercent>& mark) {
    const auto moveBand = ActiveWaferonKernels().ColourBand<Lane, kPercent>();
    const std::int64_t n = source_.Columns;
    ColourBandMove<Lane> move{nullptr, nullptr, planes_.data(), prefix_.data(), n, kBpp, flags_.data()};
    bool pending = false;
    const auto step = [&](std::int64_t enter, std::int64_t leave) {
      if (pending) {
        moveBand(ColourBandMove<Lane>{move.Enter, move.Leave, move.Planes, nullptr, n, kBpp, nullptr}, mark);
      }
      move.Enter = source_.RowOrNull(enter);
      move.Leave = source_.RowOrNull(leave);
      pending = true;
    };
    if (y1 < y0) {
      std::fill(planes_.begin(), planes_.end(), Lane{0});
      y0 = 0;
      y1 = -1;
    } else if (y0 == rowFirst_ && y1 == rowLast_) {
      // the same rows: the prefix sums again, for the marks
    } else if (rowLast_ >= rowFirst_ && y0 >= rowFirst_ && y0 <= rowLast_ + 1 && y1 >= rowLast_) {
      std::int64_t leave = rowFirst_, enter = rowLast_ + 1;
      for (; leave < y0 && enter <= y1; ++leave, ++enter) step(enter, leave);
      for (; leave < y0; ++leave) step(kNoRow, leave);
      for (; enter <= y1; ++enter) step(enter, kNoRow);
    } else {
      std::fill(planes_.begin(), planes_.end(), Lane{0});
      for (std::int64_t y = y0; y <= y1; ++y) step(y, kNoRow);
    }
    rowFirst_ = y0;
    rowLast_ = y1;
    moveBand(move, mark);
  }

  // Red, green and blue sums over the columns i0 .. i1 of the covered rows.
  std::array<std::uint64_t, 3> Sum(std::size_t i0, std::size_t i1) const {
    const std::size_t stride = static_cast<std::size_t>(source_.Columns) + 1;
    const Lane* p = prefix_.data();
    return {Lane(p[i1 + 1] - p[i0]), Lane(p[stride + i1 + 1] - p[stride + i0]),
            Lane(p[2 * stride + i1 + 1] - p[2 * stride + i0])};
  }

 private:
  RowSource source_{};
  std::vector<Lane> planes_;  // red, green and blue column sums side by side
  std::vector<Lane> prefix_;  // their prefix sums, Columns + 1 a plane
  std::vector<std::uint8_t> flags_;  // the row move's room
  std::int64_t rowFirst_ = 0;
  std::int64_t rowLast_ = -1;
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

  template <bool kPercent>
  void Cover(std::int64_t y0, std::int64_t y1, const ColourInnerRequest<kPercent>& mark) {
    Cover(y0, y1);
    if (mark.Marks != nullptr) MarkInner(mark);
  }

  std::array<std::uint64_t, 3> Sum(std::size_t i0, std::size_t i1) const {
    return {bands_[0].Sum(i0, i1), bands_[1].Sum(i0, i1), bands_[2].Sum(i0, i1)};
  }

  template <bool kPercent>
  void MarkInner(const ColourInnerRequest<kPercent>& mark) const {
    const std::uint8_t* row = mark.Row;
    const std::int64_t e = mark.Half;
    const auto& gate = mark.Gate;
    std::uint8_t* marks = mark.Marks;
    for (std::int64_t k = mark.First; k < mark.Last; ++k) {
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
