#include "bitmap_bytes.h"

#include <algorithm>

#include "common/bitmap_format.h"

namespace sensor::test {
namespace {

void Put16(Bytes& out, std::uint32_t v) {
  out.resize(out.size() + 2);
  bitmap::PutU16(&out[out.size() - 2], v);
}
void Put32(Bytes& out, std::uint32_t v) {
  out.resize(out.size() + 4);
  bitmap::PutU32(&out[out.size() - 4], v);
}

}  // namespace

Bytes FileBytes(const BitmapLayout& layout) {
  const std::uint32_t offBits = layout.OffBits.value_or(
      14 + layout.InfoSize + static_cast<std::uint32_t>(layout.Between.size()));
  Bytes out(layout.Signature.begin(), layout.Signature.end());
  out.resize(2, 0);
  Put32(out, static_cast<std::uint32_t>(offBits + layout.Pixels.size()));
  Put32(out, 0);
  Put32(out, offBits);

  Bytes info;
  Put32(info, layout.InfoSize);
  Put32(info, static_cast<std::uint32_t>(layout.Width));
  Put32(info, static_cast<std::uint32_t>(layout.Height));
  Put16(info, 1);
  Put16(info, layout.BitCount);
  Put32(info, layout.Compression);
  Put32(info, layout.SizeImage);
  Put32(info, 2835);
  Put32(info, 2835);
  Put32(info, 0);
  Put32(info, 0);
  if (layout.InfoSize >= 56 && layout.Compression == 3) {
    // Red, green, blue and alpha masks of a 32-bit picture, as longer headers hold them.
    Put32(info, 0x00FF0000);
    Put32(info, 0x0000FF00);
    Put32(info, 0x000000FF);
    Put32(info, 0xFF000000);
  }
  if (layout.InfoSize >= 60) Put32(info, 0x73524742);  // the colour space tag "sRGB"
  info.resize(layout.InfoSize, 0);

  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), layout.Between.begin(), layout.Between.end());
  // An offset of its own is written as it is, whatever lies at it; else the
  // pixels follow the header and what lies between.
  if (!layout.OffBits) out.resize(std::max<std::size_t>(out.size(), offBits), 0);
  out.insert(out.end(), layout.Pixels.begin(), layout.Pixels.end());
  return out;
}

Bytes Cut(Bytes bytes, std::size_t length) {
  bytes.resize(std::min(length, bytes.size()));
  return bytes;
}

Bytes Palette(std::size_t entries) {
  Bytes palette;
  for (std::size_t i = 0; i < entries; ++i) {
    const auto v = static_cast<unsigned char>(i * 255 / std::max<std::size_t>(entries - 1, 1));
    palette.insert(palette.end(), {v, v, v, 0});
  }
  return palette;
}

Bytes Restride(const Bytes& pixels, std::size_t rows, std::size_t rowBytes, std::size_t oldStride,
               std::size_t stride, unsigned char padding) {
  Bytes out(rows * stride, padding);
  for (std::size_t r = 0; r < rows; ++r) {
    std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(r * oldStride), rowBytes,
                out.begin() + static_cast<std::ptrdiff_t>(r * stride));
  }
  return out;
}

}  // namespace sensor::test
