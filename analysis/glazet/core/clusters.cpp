#include "glazet/core/clusters.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include <emmintrin.h>
#include <xmmintrin.h>

#include "common/precondition.h"

namespace sensor::glazet {
namespace {

using SensorDefectDetectionClass::BlemishFinding;

struct Pixel {
  std::int32_t X, Y;
};

// Index of the first byte at or after `index` that equals `mark` (a mark not
// yet taken into a region); `size` when none. Most of a map is 0, so it is
// skipped 64 bytes at a time, then found within 16.
// The bytes `below` further on (the rows a region grows into) are fetched into
// the cache on the way, so that growing from a mark does not wait for memory.
std::size_t NextMarked(const std::uint8_t* map, std::size_t index, std::size_t size,
                       std::size_t below, std::uint8_t mark) {
  auto load = [map](std::size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(map + at)); };
  const __m128i marks = _mm_set1_epi8(static_cast<char>(mark));
  auto marked = [&](std::size_t at) { return _mm_cmpeq_epi8(load(at), marks); };
  while (index + 64 <= size) {
    if (index + below < size) _mm_prefetch(reinterpret_cast<const char*>(map + index + below), _MM_HINT_T0);
    const __m128i any = _mm_or_si128(_mm_or_si128(marked(index), marked(index + 16)),
                                     _mm_or_si128(marked(index + 32), marked(index + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
    index += 64;
  }
  while (index + 16 <= size) {
    const int found = _mm_movemask_epi8(marked(index));
    if (found != 0) return index + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(found)));
    index += 16;
  }
  while (index < size && map[index] != mark) ++index;
  return index;
}

// The regions of the marks `mark`, each taken mark becoming mark + 1; with
// kDescribe, each region larger than the limit is appended to `counted`.
template <bool kDescribe>
std::int32_t GrowRegions(std::uint8_t* map, std::int32_t width, std::int32_t height, std::int32_t step,
                         std::int32_t sizeLimit, std::uint8_t mark, std::vector<BlemishFinding>* counted) {
  SENSOR_PRECONDITION(step == 1 || step == 2);
  if (map == nullptr || width <= 0 || height <= 0) return 0;
  const std::uint8_t taken = static_cast<std::uint8_t>(mark + 1);
  const std::int64_t q = step;
  const std::int64_t steps[5][2] = {{-q, 0}, {q, 0}, {-q, q}, {0, q}, {q, q}};
  const std::size_t rowBytes = static_cast<std::size_t>(width);
  // The steps as distances in the map, in the same order.
  std::ptrdiff_t offsets[5];
  for (std::size_t k = 0; k < 5; ++k) {
    offsets[k] = static_cast<std::ptrdiff_t>(steps[k][1] * width + steps[k][0]);
  }
  auto at = [&](std::int64_t x, std::int64_t y) -> std::uint8_t& {
    return map[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x)];
  };

  std::vector<Pixel> pending;
  std::int32_t clusters = 0;
  const std::size_t size = rowBytes * static_cast<std::size_t>(height);
  std::size_t index = 0;
  while (true) {
    index = NextMarked(map, index, size, rowBytes * static_cast<std::size_t>(q) + 64, mark);
    if (index >= size) break;
    const Pixel seed{static_cast<std::int32_t>(index % rowBytes),
                     static_cast<std::int32_t>(index / rowBytes)};
    map[index] = taken;
    pending.push_back(seed);
    std::int64_t regionSize = 0;
    [[maybe_unused]] std::int64_t sumX = 0, sumY = 0;
    [[maybe_unused]] SensorDefectDetectionClass::FindingArea bounds{seed.X, seed.Y, seed.X, seed.Y};
    while (!pending.empty()) {
      const Pixel p = pending.back();
      pending.pop_back();
      ++regionSize;
      if constexpr (kDescribe) {
        sumX += p.X;
        sumY += p.Y;
        bounds.Left = std::min(bounds.Left, p.X);
        bounds.Right = std::max(bounds.Right, p.X);
        bounds.Bottom = std::max(bounds.Bottom, p.Y);  // growth never goes up
      }
      if (p.X >= q && p.X + q < width && p.Y + q < height) {
        // Every step lands inside the map: no edge checks.
        std::uint8_t* here = &at(p.X, p.Y);
        for (std::size_t k = 0; k < 5; ++k) {
          std::uint8_t& cell = here[offsets[k]];
          if (cell != mark) continue;
          cell = taken;
          pending.push_back(Pixel{static_cast<std::int32_t>(p.X + steps[k][0]),
                                  static_cast<std::int32_t>(p.Y + steps[k][1])});
        }
        continue;
      }
      for (const auto& s : steps) {
        const std::int64_t nx = p.X + s[0], ny = p.Y + s[1];
        if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
        std::uint8_t& cell = at(nx, ny);
        if (cell != mark) continue;
        cell = taken;
        pending.push_back(Pixel{static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny)});
      }
    }
    if (regionSize > sizeLimit) {
      ++clusters;
      if constexpr (kDescribe) {
        const double pixels = static_cast<double>(regionSize);
        counted->push_back(BlemishFinding{bounds, regionSize, static_cast<double>(sumX) / pixels,
                                          static_cast<double>(sumY) / pixels});
      }
    }
  }
  return clusters;
}

}  // namespace

std::int32_t CountClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                           std::int32_t step, std::int32_t sizeLimit) {
  return GrowRegions<false>(map, width, height, step, sizeLimit, kMarked, nullptr);
}

std::int32_t DescribeCountedClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                                     std::int32_t step, std::int32_t sizeLimit,
                                     std::vector<BlemishFinding>& counted) {
  return GrowRegions<true>(map, width, height, step, sizeLimit, kCounted, &counted);
}

}  // namespace sensor::glazet
