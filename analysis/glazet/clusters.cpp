#include "glazet/clusters.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include <emmintrin.h>
#include <xmmintrin.h>

namespace sensor::glazet {
namespace {

constexpr std::uint8_t kTaken = 2;

struct Pixel {
  std::int32_t X, Y;
};

// Index of the first byte at or after `index` that is 1 (a mark not yet taken
// into a region); `size` when none. Bytes are 0, 1 or 2, so a 1 is a byte with
// its lowest bit set. Most of a map is 0, so it is skipped 64 bytes at a time,
// then found within 16.
// The bytes `below` further on (the rows a region grows into) are fetched into
// the cache on the way, so that growing from a mark does not wait for memory.
std::size_t NextMarked(const std::uint8_t* map, std::size_t index, std::size_t size,
                       std::size_t below) {
  auto load = [map](std::size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(map + at)); };
  while (index + 64 <= size) {
    if (index + below < size) _mm_prefetch(reinterpret_cast<const char*>(map + index + below), _MM_HINT_T0);
    const __m128i any = _mm_or_si128(_mm_or_si128(load(index), load(index + 16)),
                                     _mm_or_si128(load(index + 32), load(index + 48)));
    if (_mm_movemask_epi8(_mm_slli_epi16(any, 7)) != 0) break;
    index += 64;
  }
  while (index + 16 <= size) {
    const int marked = _mm_movemask_epi8(_mm_slli_epi16(load(index), 7));
    if (marked != 0) return index + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(marked)));
    index += 16;
  }
  while (index + 8 <= size) {
    std::uint64_t word;
    std::memcpy(&word, map + index, sizeof word);
    if ((word & 0x0101010101010101ull) != 0) break;
    index += 8;
  }
  while (index < size && (map[index] & 1) == 0) ++index;
  return index;
}

}  // namespace

std::int32_t CountClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                           std::int32_t step, std::int32_t sizeLimit,
                           std::vector<SensorDefectDetectionClass::BlemishFinding>& counted) {
  if (map == nullptr || width <= 0 || height <= 0) return 0;
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
    index = NextMarked(map, index, size, rowBytes * static_cast<std::size_t>(q) + 64);
    if (index >= size) break;
    const Pixel seed{static_cast<std::int32_t>(index % rowBytes),
                     static_cast<std::int32_t>(index / rowBytes)};
    map[index] = kTaken;
    pending.push_back(seed);
    std::int64_t regionSize = 0;
    std::int64_t sumX = 0, sumY = 0;
    SensorDefectDetectionClass::FindingArea bounds{seed.X, seed.Y, seed.X, seed.Y};
    while (!pending.empty()) {
      const Pixel p = pending.back();
      pending.pop_back();
      ++regionSize;
      sumX += p.X;
      sumY += p.Y;
      bounds.Left = std::min(bounds.Left, p.X);
      bounds.Right = std::max(bounds.Right, p.X);
      bounds.Bottom = std::max(bounds.Bottom, p.Y);  // growth never goes up
      if (p.X >= q && p.X + q < width && p.Y + q < height) {
        // Every step lands inside the map: no edge checks.
        std::uint8_t* here = &at(p.X, p.Y);
        for (std::size_t k = 0; k < 5; ++k) {
          std::uint8_t& cell = here[offsets[k]];
          if (cell != 1) continue;
          cell = kTaken;
          pending.push_back(Pixel{static_cast<std::int32_t>(p.X + steps[k][0]),
                                  static_cast<std::int32_t>(p.Y + steps[k][1])});
        }
        continue;
      }
      for (const auto& s : steps) {
        const std::int64_t nx = p.X + s[0], ny = p.Y + s[1];
        if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
        std::uint8_t& cell = at(nx, ny);
        if (cell != 1) continue;
        cell = kTaken;
        pending.push_back(Pixel{static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny)});
      }
    }
    if (regionSize > sizeLimit) {
      ++clusters;
      const double pixels = static_cast<double>(regionSize);
      counted.push_back(SensorDefectDetectionClass::BlemishFinding{
          bounds, regionSize, static_cast<double>(sumX) / pixels, static_cast<double>(sumY) / pixels});
    }
  }
  return clusters;
}

}  // namespace sensor::glazet
