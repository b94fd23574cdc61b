#include "defect_map_bitmap.h"

#include <cstdio>

namespace sensor::glazet {
namespace {

void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

std::uint64_t PixelDataSize(const ImageBinding& image) {
  return std::uint64_t{image.Stride} * static_cast<std::uint64_t>(image.Height);
}

template <int kBytesPerPixel>
void PaintRows(const ImageBinding& image, const std::uint8_t* map) {
  const std::size_t width = static_cast<std::size_t>(image.Width);
  for (std::int32_t y = 0; y < image.Height; ++y) {
    std::uint8_t* pixel = image.RowAt(y);
    const std::uint8_t* marks = map + static_cast<std::size_t>(y) * width;
    for (std::size_t x = 0; x < width; ++x, pixel += kBytesPerPixel) {
      const std::uint8_t shade = marks[x] != 0 ? 0 : 255;
      pixel[0] = shade;
      pixel[1] = shade;
      pixel[2] = shade;
    }
  }
}

}  // namespace

void PaintDefectMap(const ImageBinding& image, const std::uint8_t* map) {
  if (image.Origin == nullptr || map == nullptr) return;
  if (image.BytesPerPixel == 4) {
    PaintRows<4>(image, map);
  } else {
    PaintRows<3>(image, map);
  }
}

std::array<std::uint8_t, 54> DefectMapFileHeaders(const ImageBinding& image) {
  std::array<std::uint8_t, 54> h{};
  h[0] = 'B';
  h[1] = 'M';
  PutU32(&h[2], static_cast<std::uint32_t>(54 + PixelDataSize(image)));
  PutU32(&h[10], 54);
  PutU32(&h[14], 40);
  PutU32(&h[18], static_cast<std::uint32_t>(image.Width));
  const std::int32_t height = image.TopRowFirst() ? -image.Height : image.Height;
  PutU32(&h[22], static_cast<std::uint32_t>(height));
  PutU16(&h[26], 1);
  PutU16(&h[28], image.BitCount);
  // Compression, image size, resolutions and colour counts stay 0.
  return h;
}

bool WriteDefectMapFile(const ImageBinding& image, const std::string& path) {
  if (image.Pixels == nullptr) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const std::array<std::uint8_t, 54> headers = DefectMapFileHeaders(image);
  const std::size_t data = static_cast<std::size_t>(PixelDataSize(image));
  bool written = std::fwrite(headers.data(), 1, headers.size(), file) == headers.size();
  written = written && std::fwrite(image.Pixels, 1, data, file) == data;
  return std::fclose(file) == 0 && written;
}

}  // namespace sensor::glazet
