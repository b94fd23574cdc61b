// The row kernels the three libraries share: prefix sums of window bands,
// the level sums of a row and the band row updates. One table per vector set
// (vector_set.h); callers go through ActiveCommonKernels().
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/kernels/kernel_tables.h"

namespace sensor {

// What a band adds up for each of its columns: the Bayer sample (by the sample
// rule's shift) or one byte of pixels `PixelPitch` pixels apart.
struct ColumnValues {
  enum Kind : int { kSample, kByte };
  Kind What = kSample;
  int BytesPerPixel = 4;  // 3 or 4
  int Shift = 0;          // kSample: 0, 2 or 4
  int ByteOffset = 0;     // kByte: 0, 1 or 2
  int PixelPitch = 1;     // 1 or 2
};

// Whether `v` is one of the layouts above (the kernels' precondition).
constexpr bool ValidColumnValues(const ColumnValues& v) {
  return (v.BytesPerPixel == 3 || v.BytesPerPixel == 4) && (v.PixelPitch == 1 || v.PixelPitch == 2) &&
         (v.What == ColumnValues::kSample ? v.Shift == 0 || v.Shift == 2 || v.Shift == 4
                                          : v.What == ColumnValues::kByte && v.ByteOffset >= 0 && v.ByteOffset <= 2);
}

// Even- and odd-column sums of one row.
struct ColumnParitySums {
  std::uint64_t Even = 0;
  std::uint64_t Odd = 0;
};

// prefix[i + step] = prefix[i] + values[i] for i < n, step 1 or 2, wrapping
// modulo the lane; prefix[0 .. step - 1] are the starting sums, left as they
// are (window_band.h).
template <class Lane>
using PrefixSumsKernel = void (*)(const Lane* __restrict values, Lane* __restrict prefix, std::size_t n,
                                  std::size_t step);

// Adds the values of row `enter` to columns[0 .. n - 1] and subtracts those
// of row `leave`; either may be null.
template <class Lane>
using UpdateColumnsKernel = void (*)(const ColumnValues& values, const std::uint8_t* enter,
                                     const std::uint8_t* leave, Lane* __restrict columns, std::int64_t n);

struct CommonKernels {
  ByLaneWidth<PrefixSumsKernel> PrefixSums;

  // Adds the blue, green and red bytes of `count` pixels to sums[0 .. 2].
  void (*SumColourRow)(const std::uint8_t* __restrict row, std::int64_t count, int bytesPerPixel,
                       std::uint64_t* __restrict sums);
  // The samples of the even and the odd columns of `columns` pixels, by the
  // sample rule of `shift`.
  ColumnParitySums (*SumBayerRow)(const std::uint8_t* __restrict row, std::int64_t columns, int bytesPerPixel,
                                  int shift);

  ByLaneWidth<UpdateColumnsKernel> UpdateColumns;
};

SENSOR_DECLARE_KERNEL_TABLES(CommonKernels, kCommonKernels)

// The table of the active vector set.
const CommonKernels& ActiveCommonKernels();

}  // namespace sensor
