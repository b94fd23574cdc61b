#include "levels.h"

#include "sample_rule.h"

namespace sensor {
namespace {

// Keeps the levels inside the bound picture whatever rectangle a caller hands in.
Rect Clip(const ImageBinding& image, const Rect& region) {
  if (image.Origin == nullptr) return Rect{};
  return Intersect(region, image.Bounds());
}

template <int kBytesPerPixel>
void SumColourRows(const ImageBinding& image, const Rect& r, std::uint64_t (&sums)[3]) {
  const std::int64_t columns = r.Columns();
  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    const std::uint8_t* p = image.PixelAt(r.Left, y);
    // A 32-bit partial sum holds 2^24 pixels of 255 without wrapping.
    std::int64_t remaining = columns;
    while (remaining > 0) {
      const std::int64_t chunk = remaining < (1 << 24) ? remaining : (1 << 24);
      std::uint32_t b = 0, g = 0, red = 0;
      for (std::int64_t i = 0; i < chunk; ++i, p += kBytesPerPixel) {
        b += p[0];
        g += p[1];
        red += p[2];
      }
      sums[0] += b;
      sums[1] += g;
      sums[2] += red;
      remaining -= chunk;
    }
  }
}

// Sums the samples of the even and the odd columns of one row separately.
template <int kBytesPerPixel, int kShift>
void SumBayerRow(const std::uint8_t* p, std::int64_t columns, std::uint64_t& even,
                 std::uint64_t& odd) {
  auto sample = [](const std::uint8_t* px) -> std::uint32_t {
    if constexpr (kShift == 0) {
      return px[0];
    } else {
      return static_cast<std::uint32_t>((px[0] << kShift) | (px[1] & 3));
    }
  };
  std::int64_t remaining = columns;
  while (remaining > 0) {
    // Each parity gets at most 2^19 samples of at most 4095: no 32-bit wrap.
    const std::int64_t chunk = remaining < (1 << 20) ? remaining : (1 << 20);
    std::uint32_t e = 0, o = 0;
    std::int64_t i = 0;
    for (; i + 1 < chunk; i += 2, p += 2 * kBytesPerPixel) {
      e += sample(p);
      o += sample(p + kBytesPerPixel);
    }
    if (i < chunk) {
      e += sample(p);
      p += kBytesPerPixel;
    }
    even += e;
    odd += o;
    remaining -= chunk;
  }
}

template <int kBytesPerPixel, int kShift>
void SumBayerRows(const ImageBinding& image, const Rect& r, std::uint64_t (&sums)[5]) {
  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    const bool oddRow = ((std::int64_t{y} - r.Top) & 1) != 0;
    std::uint64_t& even = oddRow ? sums[2] : sums[3];
    std::uint64_t& odd = oddRow ? sums[4] : sums[0];
    SumBayerRow<kBytesPerPixel, kShift>(image.PixelAt(r.Left, y), r.Columns(), even, odd);
  }
}

template <int kBytesPerPixel>
void SumBayer(const ImageBinding& image, const Rect& r, int shift, std::uint64_t (&sums)[5]) {
  switch (shift) {
    case 2: SumBayerRows<kBytesPerPixel, 2>(image, r, sums); break;
    case 4: SumBayerRows<kBytesPerPixel, 4>(image, r, sums); break;
    default: SumBayerRows<kBytesPerPixel, 0>(image, r, sums); break;
  }
}

}  // namespace

LevelSet ColourLevels(const ImageBinding& image, const Rect& region) {
  LevelSet levels{};
  const Rect r = Clip(image, region);
  if (r.Empty()) return levels;
  std::uint64_t sums[3] = {0, 0, 0};  // blue, green, red
  if (image.BytesPerPixel == 4) {
    SumColourRows<4>(image, r, sums);
  } else {
    SumColourRows<3>(image, r, sums);
  }
  const double count = static_cast<double>(r.Columns() * r.Rows());
  levels[0] = static_cast<double>(sums[2]) / count;
  levels[1] = static_cast<double>(sums[1]) / count;
  levels[2] = static_cast<double>(sums[0]) / count;
  return levels;
}

LevelSet BayerLevels(const ImageBinding& image, const Rect& region, std::int32_t sensorBpp,
                     std::int32_t testBpp) {
  LevelSet levels{};
  const Rect r = Clip(image, region);
  if (r.Empty()) return levels;
  std::uint64_t sums[5] = {0, 0, 0, 0, 0};
  const int shift = SampleRule::For(sensorBpp, testBpp).Shift;
  if (image.BytesPerPixel == 4) {
    SumBayer<4>(image, r, shift, sums);
  } else {
    SumBayer<3>(image, r, shift, sums);
  }
  // Sites per position: even/odd columns times even/odd rows of the region.
  const std::int64_t cols = r.Columns(), rows = r.Rows();
  const std::int64_t evenCols = (cols + 1) / 2, oddCols = cols / 2;
  const std::int64_t evenRows = (rows + 1) / 2, oddRows = rows / 2;
  const std::int64_t counts[5] = {evenRows * oddCols, 0, oddRows * evenCols, evenRows * evenCols,
                                  oddRows * oddCols};
  for (int c = 0; c < 5; ++c) {
    if (counts[c] != 0) levels[c] = static_cast<double>(sums[c]) / static_cast<double>(counts[c]);
  }
  return levels;
}

}  // namespace sensor
