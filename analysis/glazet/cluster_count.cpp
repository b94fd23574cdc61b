#include "cluster_count.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace sensor::glazet {
namespace {

struct Pixel {
  std::int32_t X, Y;
};

// Index of the first non-zero byte at or after `index`; `size` when none. Most
// of a map is 0, so it is skipped eight bytes at a time.
std::size_t NextMarked(const std::uint8_t* map, std::size_t index, std::size_t size) {
  while (index + 8 <= size) {
    std::uint64_t word;
    std::memcpy(&word, map + index, sizeof word);
    if (word != 0) break;
    index += 8;
  }
  while (index < size && map[index] == 0) ++index;
  return index;
}

}  // namespace

std::int32_t CountClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                           std::int32_t step, std::int32_t sizeLimit) {
  if (map == nullptr || width <= 0 || height <= 0) return 0;
  const std::int64_t q = step;
  const std::int64_t steps[5][2] = {{-q, 0}, {q, 0}, {-q, q}, {0, q}, {q, q}};
  const std::size_t rowBytes = static_cast<std::size_t>(width);
  auto at = [&](std::int64_t x, std::int64_t y) -> std::uint8_t& {
    return map[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x)];
  };

  std::vector<Pixel> pending;
  std::int32_t clusters = 0;
  const std::size_t size = rowBytes * static_cast<std::size_t>(height);
  std::size_t index = 0;
  while (true) {
    index = NextMarked(map, index, size);
    if (index >= size) break;
    const Pixel seed{static_cast<std::int32_t>(index % rowBytes),
                     static_cast<std::int32_t>(index / rowBytes)};
    map[index] = 0;
    pending.push_back(seed);
    std::int64_t regionSize = 0;
    while (!pending.empty()) {
      const Pixel p = pending.back();
      pending.pop_back();
      ++regionSize;
      for (const auto& s : steps) {
        const std::int64_t nx = p.X + s[0], ny = p.Y + s[1];
        if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
        std::uint8_t& cell = at(nx, ny);
        if (cell == 0) continue;
        cell = 0;
        pending.push_back(Pixel{static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny)});
      }
    }
    if (regionSize > sizeLimit) ++clusters;
  }
  return clusters;
}

}  // namespace sensor::glazet
