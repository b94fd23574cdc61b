// Kernel: the Bayer local search's band update through a ring of the covered
// rows' samples (bayer_search.cpp). An entering row's samples are taken from
// its pixels once, kept as 16-bit values and added to the column sums; a
// leaving row's kept samples are subtracted. A pixel row is thus read from the
// picture once however long it stays in the band, and the kept rows, half the
// size of the pixels, stay near the processor for the screen of their own row
// and for their leaving.
#pragma once

#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "common/precondition.h"
#include "common/sample_rule.h"
#include "waferon/kernels/search_mark_rows.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

template <class Lane, int kBpp, int kShift>
inline void MoveRing(const std::uint8_t* __restrict enter, std::uint16_t* __restrict kept,
                     const std::uint16_t* __restrict leaving, Lane* __restrict columns, std::int64_t n) {
  if (enter == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) columns[i] -= static_cast<Lane>(leaving[i]);
  } else if (leaving == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) {
      const auto s = static_cast<std::uint16_t>(SampleOfPixel<kBpp, kShift>(enter + i * kBpp));
      kept[i] = s;
      columns[i] += static_cast<Lane>(s);
    }
  } else {
    for (std::int64_t i = 0; i < n; ++i) {
      const auto s = static_cast<std::uint16_t>(SampleOfPixel<kBpp, kShift>(enter + i * kBpp));
      kept[i] = s;
      columns[i] += static_cast<Lane>(s) - static_cast<Lane>(leaving[i]);
    }
  }
}

template <class Lane>
SENSOR_KERNEL void MoveSampleRing(const std::uint8_t* __restrict enter, std::uint16_t* __restrict kept,
                                  const std::uint16_t* __restrict leaving, Lane* __restrict columns,
                                  std::int64_t n, int bytesPerPixel, int shift) {
  SENSOR_KERNEL_PRECONDITION(bytesPerPixel == 3 || bytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(shift == 0 || shift == 2 || shift == 4);
  // An entering row keeps its samples; something enters or leaves.
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (columns != nullptr && (enter != nullptr || leaving != nullptr) &&
                                             (enter == nullptr || kept != nullptr))));
  ForLayout(bytesPerPixel, shift,
            [&]<int kBpp, int kShift>() { MoveRing<Lane, kBpp, kShift>(enter, kept, leaving, columns, n); });
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
