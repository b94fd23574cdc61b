// A window band's row update (window_band.h), adding the values of an
// entering row to the column sums and subtracting those of a leaving row in
// one pass, for every pixel layout and value the searches sum: the loops of
// the UpdateColumns kernels (common_table.cpp), inline for other kernels that
// move a band in passes of their own.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/kernels/common_kernels.h"
#include "common/kernels/kernel_set.h"
#include "common/sample_rule.h"

namespace sensor::kernels::SENSOR_KERNEL_SET {

// Byte `offset` of the pixel at p; `shift` is 8 x offset. A 32-bit pixel is
// read as one word, so that the loop over a row works on whole words.
template <int kBytesPerPixel>
inline std::uint32_t ByteOf(const std::uint8_t* p, int offset, unsigned shift) {
  if constexpr (kBytesPerPixel == 4) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return (word >> shift) & 255u;
  } else {
    return p[offset];
  }
}

// value(p) is the value of the pixel at p; columns lie kPitch bytes apart.
template <class Lane, std::int64_t kPitch, class Value>
inline void UpdateWith(const Value& value, const std::uint8_t* __restrict enter,
                       const std::uint8_t* __restrict leave, Lane* __restrict columns, std::int64_t n) {
  if (leave == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) columns[i] += static_cast<Lane>(value(enter + i * kPitch));
  } else if (enter == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) columns[i] -= static_cast<Lane>(value(leave + i * kPitch));
  } else {
    for (std::int64_t i = 0; i < n; ++i) {
      columns[i] += static_cast<Lane>(value(enter + i * kPitch)) - static_cast<Lane>(value(leave + i * kPitch));
    }
  }
}

template <class Lane, int kBytesPerPixel, int kPitch>
inline void UpdateSamples(int shift, const std::uint8_t* enter, const std::uint8_t* leave, Lane* __restrict columns,
                          std::int64_t n) {
  constexpr std::int64_t kBytes = kBytesPerPixel * kPitch;
  switch (shift) {
    case 2:
      UpdateWith<Lane, kBytes>([](const std::uint8_t* p) { return SampleOfPixel<kBytesPerPixel, 2>(p); }, enter,
                               leave, columns, n);
      break;
    case 4:
      UpdateWith<Lane, kBytes>([](const std::uint8_t* p) { return SampleOfPixel<kBytesPerPixel, 4>(p); }, enter,
                               leave, columns, n);
      break;
    default:
      UpdateWith<Lane, kBytes>([](const std::uint8_t* p) { return SampleOfPixel<kBytesPerPixel, 0>(p); }, enter,
                               leave, columns, n);
      break;
  }
}

template <class Lane, int kBytesPerPixel, int kPitch>
inline void UpdateBytes(int offset, const std::uint8_t* enter, const std::uint8_t* leave, Lane* __restrict columns,
                        std::int64_t n) {
  const unsigned shift = 8u * static_cast<unsigned>(offset);
  const auto byte = [offset, shift](const std::uint8_t* p) { return ByteOf<kBytesPerPixel>(p, offset, shift); };
  UpdateWith<Lane, kBytesPerPixel * kPitch>(byte, enter, leave, columns, n);
}

// The layout's values, with the pixel size and the pitch known to the loops.
template <class Lane, int kBytesPerPixel>
inline void UpdateLayout(const ColumnValues& v, const std::uint8_t* enter, const std::uint8_t* leave,
                         Lane* __restrict columns, std::int64_t n) {
  const bool bytes = v.What == ColumnValues::kByte;
  if (v.PixelPitch == 2) {
    bytes ? UpdateBytes<Lane, kBytesPerPixel, 2>(v.ByteOffset, enter, leave, columns, n)
          : UpdateSamples<Lane, kBytesPerPixel, 2>(v.Shift, enter, leave, columns, n);
  } else {
    bytes ? UpdateBytes<Lane, kBytesPerPixel, 1>(v.ByteOffset, enter, leave, columns, n)
          : UpdateSamples<Lane, kBytesPerPixel, 1>(v.Shift, enter, leave, columns, n);
  }
}

template <class Lane>
inline void UpdateColumns(const ColumnValues& v, const std::uint8_t* enter, const std::uint8_t* leave,
                          Lane* __restrict columns, std::int64_t n) {
  if (v.BytesPerPixel == 4) {
    UpdateLayout<Lane, 4>(v, enter, leave, columns, n);
  } else {
    UpdateLayout<Lane, 3>(v, enter, leave, columns, n);
  }
}

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
