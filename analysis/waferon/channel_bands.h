// The three channel sums of the colour local search's boxes, in one of two
// forms with the same results.
//
// Packed: one band whose value per pixel is blue | green << 21 | red << 42.
// Sums of such values taken modulo 2^64 are the three channel sums side by
// side, exact as long as each channel's sum over a box stays below 2^21 (boxes
// of at most 8,224 pixels), so one band and one prefix pass serve all three.
// Separate: a band per channel, for larger boxes.
#pragma once

#include <array>
#include <cstdint>

#include "common/window_band.h"

namespace sensor::waferon {

template <int kBpp>
class PackedChannelBands {
 public:
  static constexpr int kLaneBits = 21;
  static constexpr std::uint64_t kLane = (std::uint64_t{1} << kLaneBits) - 1;

  // Whether boxes of up to `pixels` pixels keep every lane exact.
  static bool Fits(std::int64_t pixels) { return pixels >= 0 && pixels * 255 <= std::int64_t{kLane}; }

  void Reset(const RowSource& source) {
    source_ = source;
    band_.Reset(static_cast<std::size_t>(source.Columns), 1, 1);
  }

  void Cover(std::int64_t y0, std::int64_t y1) {
    const RowSource s = source_;
    band_.Cover(y0, y1, [s](std::int64_t enter, std::int64_t leave, std::uint64_t* column) {
      ApplyRows(s, enter, leave, column,
                [](const std::uint8_t* row, std::int64_t i) { return Pack(row + i * kBpp); });
    });
  }

  // Red, green and blue sums over the columns i0 .. i1 of the covered rows.
  std::array<std::uint64_t, 3> Sum(std::size_t i0, std::size_t i1) const {
    return Unpack(band_.Sum(i0, i1));
  }

  // The same for the box i - e .. i + e, in 32 bits, for the row-wide gate.
  void InnerSums(std::int64_t i, std::int64_t e, std::int32_t (&sums)[3]) const {
    const std::uint64_t* prefix = band_.Prefix();
    const std::uint64_t s = prefix[i + e + 1] - prefix[i - e];
    sums[0] = static_cast<std::int32_t>(s >> (2 * kLaneBits) & kLane);
    sums[1] = static_cast<std::int32_t>(s >> kLaneBits & kLane);
    sums[2] = static_cast<std::int32_t>(s & kLane);
  }

 private:
  static std::uint64_t Pack(const std::uint8_t* p) {
    return std::uint64_t{p[0]} | std::uint64_t{p[1]} << kLaneBits | std::uint64_t{p[2]} << (2 * kLaneBits);
  }
  static std::array<std::uint64_t, 3> Unpack(std::uint64_t s) {
    return {s >> (2 * kLaneBits) & kLane, s >> kLaneBits & kLane, s & kLane};
  }

  RowSource source_{};
  WindowBand<std::uint64_t> band_;
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

  void InnerSums(std::int64_t i, std::int64_t e, std::int32_t (&sums)[3]) const {
    for (int k = 0; k < 3; ++k) {
      const std::uint64_t* prefix = bands_[k].Prefix();
      sums[k] = static_cast<std::int32_t>(static_cast<std::uint32_t>(prefix[i + e + 1] - prefix[i - e]));
    }
  }

 private:
  RowSource source_{};
  WindowBand<std::uint64_t> bands_[3];
};

}  // namespace sensor::waferon
