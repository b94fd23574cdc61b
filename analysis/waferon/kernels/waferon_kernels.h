// The chip library's row kernels: the marks of the searches' row screens, the
// Bayer band's sample ring and the colour band's row move, and the cluster
// grid's running count. One table per vector set
// (common/kernels/vector_set.h); callers go through ActiveWaferonKernels().
#pragma once

#include <cstddef>
#include <cstdint>

#include "waferon/core/approximate_gate.h"

namespace sensor::waferon {

// Values Lo .. Hi need no closer look; Lo > Hi when none may be skipped.
struct MarkRange {
  std::int32_t Lo;
  std::int32_t Hi;
};
struct ParityRanges {
  MarkRange Even, Odd;  // of the even and the odd columns
};
struct ChannelRanges {
  MarkRange Red, Green, Blue;
};

// marks[k] for first <= k < last: whether the pixel of sample samples[k]
// whose window sum is prefix[k + half + 2] - prefix[k - half] (its own sample
// included) may pass the gate (Bayer local search, windows of every second
// column).
template <class Lane, bool kPercent>
using BayerInnerMarks = void (*)(const Lane* __restrict prefix, const std::uint16_t* __restrict samples,
                                 std::uint8_t* __restrict marks, std::int64_t first, std::int64_t last,
                                 std::int64_t half, NarrowGate<kPercent> gate);

// Adds the samples of the pixel row `enter` to columns[0 .. n - 1], keeping
// them in kept[0 .. n - 1], and subtracts leaving[0 .. n - 1], samples kept
// earlier; enter (with kept) or leaving may be null.
template <class Lane>
using SampleRingMove = void (*)(const std::uint8_t* __restrict enter, std::uint16_t* __restrict kept,
                                const std::uint16_t* __restrict leaving, Lane* __restrict columns, std::int64_t n,
                                int bytesPerPixel, int shift);

// One row's move of the colour local search's band: adds the red, green and
// blue of the pixel row Enter to three planes of Columns sums side by side and
// subtracts those of Leave (either may be null; both null leaves the planes
// as they are), then, with Prefix set, writes each plane's prefix sums,
// Columns + 1 a plane, planes side by side: prefix[0] = 0,
// prefix[i + 1] = prefix[i] + plane[i], wrapping modulo the lane's range.
template <class Lane>
struct ColourBandMove {
  const std::uint8_t* Enter;
  const std::uint8_t* Leave;
  Lane* Planes;
  Lane* Prefix;
  std::int64_t Columns;
  int BytesPerPixel;
  // Room for two bytes per 256 columns, or null: where it is given, the move
  // may leave the prefix sums of stretches no box read later reaches unset
  // (kernels/colour_band_rows.h).
  std::uint8_t* Flags;
};

// With Prefix and Marks set, the move also marks the pixels First .. Last - 1
// of Row: marks[k], whether the box of columns k - Half .. k + Half (sums
// prefix[k + Half + 1] - prefix[k - Half]) may pass the gate in any channel.
template <bool kPercent>
struct ColourInnerRequest {
  const std::uint8_t* Row;
  std::uint8_t* Marks;
  std::int64_t First, Last, Half;
  NarrowGate<kPercent> Gate;
};

template <class Lane, bool kPercent>
using ColourBandMover = void (*)(const ColourBandMove<Lane>& move, const ColourInnerRequest<kPercent>& mark);

struct WaferonKernels {
  // marks[k] for k < n: whether the sample of pixel k lies outside the range
  // of its column's parity.
  void (*MarkBayerOutside)(const std::uint8_t* __restrict row, std::uint8_t* __restrict marks, std::int64_t n,
                           int bytesPerPixel, int shift, ParityRanges ranges);
  // marks[k] for k < n: whether any channel of pixel k lies outside its range.
  void (*MarkColourOutside)(const std::uint8_t* __restrict row, std::uint8_t* __restrict marks, std::int64_t n,
                            int bytesPerPixel, ChannelRanges ranges);

  BayerInnerMarks<std::uint32_t, false> MarkBayerInnerAbsolute32;
  BayerInnerMarks<std::uint32_t, true> MarkBayerInnerPercent32;
  BayerInnerMarks<std::uint64_t, false> MarkBayerInnerAbsolute64;
  BayerInnerMarks<std::uint64_t, true> MarkBayerInnerPercent64;
  SampleRingMove<std::uint32_t> MoveSampleRing32;
  SampleRingMove<std::uint64_t> MoveSampleRing64;
  ColourBandMover<std::uint16_t, false> MoveColourBandAbsolute16;
  ColourBandMover<std::uint16_t, true> MoveColourBandPercent16;
  ColourBandMover<std::uint32_t, false> MoveColourBandAbsolute32;
  ColourBandMover<std::uint32_t, true> MoveColourBandPercent32;

  // before[w] for w < n: the pairs of two bits with their low bit set in
  // words[0 .. w - 1] (the cluster count's grid, 32 pairs a word).
  void (*CountMarkedPairs)(const std::uint64_t* __restrict words, std::uint32_t* __restrict before, std::size_t n);

  template <class Lane, bool kPercent>
  BayerInnerMarks<Lane, kPercent> BayerInner() const {
    if constexpr (sizeof(Lane) == 4 && kPercent) {
      return MarkBayerInnerPercent32;
    } else if constexpr (sizeof(Lane) == 4) {
      return MarkBayerInnerAbsolute32;
    } else if constexpr (kPercent) {
      return MarkBayerInnerPercent64;
    } else {
      return MarkBayerInnerAbsolute64;
    }
  }
  template <class Lane>
  SampleRingMove<Lane> SampleRing() const {
    if constexpr (sizeof(Lane) == 4) {
      return MoveSampleRing32;
    } else {
      return MoveSampleRing64;
    }
  }
  template <class Lane, bool kPercent>
  ColourBandMover<Lane, kPercent> ColourBand() const {
    if constexpr (sizeof(Lane) == 2 && kPercent) {
      return MoveColourBandPercent16;
    } else if constexpr (sizeof(Lane) == 2) {
      return MoveColourBandAbsolute16;
    } else if constexpr (kPercent) {
      return MoveColourBandPercent32;
    } else {
      return MoveColourBandAbsolute32;
    }
  }
};

namespace kernels {
namespace baseline {
extern const WaferonKernels kWaferonKernels;
}
namespace avx2 {
extern const WaferonKernels kWaferonKernels;
}
}  // namespace kernels

// The table of the active vector set.
const WaferonKernels& ActiveWaferonKernels();

}  // namespace sensor::waferon
