// The three channel sums of the colour local search's boxes, in one of two
// forms with the same results.
//
// Planar: one band of 32-bit sums holding the red, green and blue planes side
// by side, so that one pass over the entering and leaving rows and one prefix
// pass serve all three channels, in loops the vector units take whole (at the
// widest the processor allows); exact while a box's channel sum stays below
// 2^32.
// Separate: a band of 64-bit sums per channel, for larger boxes.
//
// Both also mark, a row at a time, the inner pixels that may pass the
// search's integer gate (approximate_gate.h).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "approximate_gate.h"
#include "common/cpu_features.h"
#include "common/window_band.h"

namespace sensor::waferon {

// Red, green and blue of the pixel at p (bytes 2, 1, 0). A 32-bit pixel is
// read as one word, which vector loops turn into shifts and masks.
template <int kBpp>
inline void ChannelsOf(const std::uint8_t* p, std::uint32_t& r, std::uint32_t& g, std::uint32_t& b) {
  if constexpr (kBpp == 4) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    r = w >> 16 & 0xFF;
    g = w >> 8 & 0xFF;
    b = w & 0xFF;
  } else {
    r = p[2];
    g = p[1];
    b = p[0];
  }
}

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
    const RowSource s = source_;
    band_.Cover(y0, y1, [s](std::int64_t enter, std::int64_t leave, std::uint32_t* planes) {
      RunWidest([=] { ApplyRows(s, enter, leave, planes); });
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
    const std::int64_t n = source_.Columns;
    const std::uint8_t* row = source_.Row(y);
    const std::uint32_t* prefix = band_.Prefix();
    // Everything the loop reads is copied into locals first: the mark stores
    // could otherwise alias the captured values and keep the loop scalar.
    RunWidest([&] {
      const std::uint32_t* __restrict red = prefix;
      const std::uint32_t* __restrict green = prefix + n;
      const std::uint32_t* __restrict blue = prefix + 2 * n;
      const std::uint8_t* __restrict pixels = row;
      std::uint8_t* __restrict out = marks;
      const NarrowGate<kPercent> g = gate;
      const std::int64_t first = begin, last = end, half = e;
      for (std::int64_t k = first; k < last; ++k) {
        std::uint32_t r, gr, b;
        ChannelsOf<kBpp>(pixels + k * kBpp, r, gr, b);
        const auto sr = static_cast<std::int32_t>(red[k + half + 1] - red[k - half]);
        const auto sg = static_cast<std::int32_t>(green[k + half + 1] - green[k - half]);
        const auto sb = static_cast<std::int32_t>(blue[k + half + 1] - blue[k - half]);
        // Bitwise on purpose: all three tests, no branches.
        out[k] = static_cast<std::uint8_t>(int{g.MayPass(sr, static_cast<std::int32_t>(r))} |
                                           int{g.MayPass(sg, static_cast<std::int32_t>(gr))} |
                                           int{g.MayPass(sb, static_cast<std::int32_t>(b))});
      }
    });
  }

 private:
  // Adds the channel values of row `enter` to the planes and subtracts those
  // of row `leave` (either may be kNoRow).
  static void ApplyRows(const RowSource& s, std::int64_t enter, std::int64_t leave, std::uint32_t* planes) {
    const std::int64_t n = s.Columns;
    std::uint32_t* __restrict red = planes;
    std::uint32_t* __restrict green = planes + n;
    std::uint32_t* __restrict blue = planes + 2 * n;
    std::uint32_t r, g, b, r0, g0, b0;
    if (leave == kNoRow) {
      const std::uint8_t* __restrict in = s.Row(enter);
      for (std::int64_t i = 0; i < n; ++i) {
        ChannelsOf<kBpp>(in + i * kBpp, r, g, b);
        red[i] += r;
        green[i] += g;
        blue[i] += b;
      }
    } else if (enter == kNoRow) {
      const std::uint8_t* __restrict out = s.Row(leave);
      for (std::int64_t i = 0; i < n; ++i) {
        ChannelsOf<kBpp>(out + i * kBpp, r, g, b);
        red[i] -= r;
        green[i] -= g;
        blue[i] -= b;
      }
    } else {
      const std::uint8_t* __restrict in = s.Row(enter);
      const std::uint8_t* __restrict out = s.Row(leave);
      for (std::int64_t i = 0; i < n; ++i) {
        ChannelsOf<kBpp>(in + i * kBpp, r, g, b);
        ChannelsOf<kBpp>(out + i * kBpp, r0, g0, b0);
        red[i] += r - r0;
        green[i] += g - g0;
        blue[i] += b - b0;
      }
    }
  }

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
      const RowSource s = source_;
      const int byte = 2 - k;  // red is byte 2, blue byte 0
      bands_[k].Cover(y0, y1, [s, byte](std::int64_t enter, std::int64_t leave, std::uint64_t* column) {
        ApplyRows(s, enter, leave, column, [byte](const std::uint8_t* row, std::int64_t i) {
          return std::uint64_t{row[i * kBpp + byte]};
        });
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
