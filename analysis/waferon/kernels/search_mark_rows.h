// Kernels: the row screens of the four searches. Each marks, a row at a time,
// the pixels that need the exact rule; the others are certainly below every
// gate of the row. Written without branches, so that they become vector code.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/kernels/kernel_set.h"
#include "common/precondition.h"
#include "common/sample_rule.h"
#include "waferon/core/approximate_gate.h"
#include "waferon/kernels/waferon_kernels.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

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

// Calls body.template operator()<kBpp, kShift>() for the pixel layout.
template <class Body>
inline void ForLayout(int bytesPerPixel, int shift, const Body& body) {
  const bool four = bytesPerPixel == 4;
  switch (shift) {
    case 2: four ? body.template operator()<4, 2>() : body.template operator()<3, 2>(); break;
    case 4: four ? body.template operator()<4, 4>() : body.template operator()<3, 4>(); break;
    default: four ? body.template operator()<4, 0>() : body.template operator()<3, 0>(); break;
  }
}

SENSOR_KERNEL void MarkBayerOutside(const std::uint8_t* __restrict row, std::uint8_t* __restrict marks,
                                    std::int64_t n, int bytesPerPixel, int shift, ParityRanges ranges) {
  SENSOR_KERNEL_PRECONDITION(bytesPerPixel == 3 || bytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(shift == 0 || shift == 2 || shift == 4);
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (row != nullptr && marks != nullptr)));
  // Plain locals, not structured bindings: the lambda below captures them, which
  // older clang releases refuse for bindings.
  const std::int32_t evenLo = ranges.Even.Lo, evenHi = ranges.Even.Hi;
  const std::int32_t oddLo = ranges.Odd.Lo, oddHi = ranges.Odd.Hi;
  ForLayout(bytesPerPixel, shift, [&]<int kBpp, int kShift>() {
    std::int64_t pair = 0;
    for (; pair + 1 < n; pair += 2) {
      const auto e = static_cast<std::int32_t>(SampleOfPixel<kBpp, kShift>(row + pair * kBpp));
      const auto o = static_cast<std::int32_t>(SampleOfPixel<kBpp, kShift>(row + (pair + 1) * kBpp));
      marks[pair] = static_cast<std::uint8_t>((e < evenLo) | (e > evenHi));
      marks[pair + 1] = static_cast<std::uint8_t>((o < oddLo) | (o > oddHi));
    }
    if (pair < n) {
      const auto e = static_cast<std::int32_t>(SampleOfPixel<kBpp, kShift>(row + pair * kBpp));
      marks[pair] = static_cast<std::uint8_t>((e < evenLo) | (e > evenHi));
    }
  });
}

template <int kBpp>
inline void MarkColourPixels(const std::uint8_t* __restrict row, std::uint8_t* __restrict marks, std::int64_t n,
                             ChannelRanges ranges) {
  const auto [redLo, redHi] = ranges.Red;
  const auto [greenLo, greenHi] = ranges.Green;
  const auto [blueLo, blueHi] = ranges.Blue;
  for (std::int64_t k = 0; k < n; ++k) {
    std::uint32_t red, green, blue;
    ChannelsOf<kBpp>(row + k * kBpp, red, green, blue);
    const auto rv = static_cast<std::int32_t>(red), gv = static_cast<std::int32_t>(green),
               bv = static_cast<std::int32_t>(blue);
    marks[k] = (rv < redLo) | (rv > redHi) | (gv < greenLo) | (gv > greenHi) | (bv < blueLo) | (bv > blueHi);
  }
}

SENSOR_KERNEL void MarkColourOutside(const std::uint8_t* __restrict row, std::uint8_t* __restrict marks,
                                     std::int64_t n, int bytesPerPixel, ChannelRanges ranges) {
  SENSOR_KERNEL_PRECONDITION(bytesPerPixel == 3 || bytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (row != nullptr && marks != nullptr)));
  if (bytesPerPixel == 4) {
    MarkColourPixels<4>(row, marks, n, ranges);
  } else {
    MarkColourPixels<3>(row, marks, n, ranges);
  }
}

template <class Lane, bool kPercent>
SENSOR_KERNEL void MarkBayerInner(const Lane* __restrict prefix, const std::uint16_t* __restrict samples,
                                  std::uint8_t* __restrict marks, std::int64_t first, std::int64_t last,
                                  std::int64_t half, NarrowGate<kPercent> gate) {
  SENSOR_KERNEL_PRECONDITION(half >= 0);
  SENSOR_KERNEL_PRECONDITION(first >= last || (prefix != nullptr && samples != nullptr && marks != nullptr));
  for (std::int64_t k = first; k < last; ++k) {
    const auto own = static_cast<std::int32_t>(samples[k]);
    const auto sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(prefix[k + half + 2] - prefix[k - half]));
    marks[k] = gate.MayPass(sum, own);
  }
}

template <int kBpp, bool kPercent, class Lane>
inline void MarkColourBoxes(const Lane* __restrict red, const Lane* __restrict green,
                            const Lane* __restrict blue, const std::uint8_t* __restrict row,
                            std::uint8_t* __restrict marks, std::int64_t first, std::int64_t last, std::int64_t half,
                            NarrowGate<kPercent> g) {
  for (std::int64_t k = first; k < last; ++k) {
    std::uint32_t r, gr, b;
    ChannelsOf<kBpp>(row + k * kBpp, r, gr, b);
    const auto sr = static_cast<std::int32_t>(static_cast<Lane>(red[k + half + 1] - red[k - half]));
    const auto sg = static_cast<std::int32_t>(static_cast<Lane>(green[k + half + 1] - green[k - half]));
    const auto sb = static_cast<std::int32_t>(static_cast<Lane>(blue[k + half + 1] - blue[k - half]));
    // Bitwise on purpose: all three tests, no branches.
    marks[k] = static_cast<std::uint8_t>(int{g.MayPass(sr, static_cast<std::int32_t>(r))} |
                                         int{g.MayPass(sg, static_cast<std::int32_t>(gr))} |
                                         int{g.MayPass(sb, static_cast<std::int32_t>(b))});
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
