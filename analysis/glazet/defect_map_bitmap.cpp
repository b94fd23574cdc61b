#include "defect_map_bitmap.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

// Writes all bytes, resuming after partial writes and interruptions.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
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
    if constexpr (kBytesPerPixel == 4) {
      // Whole words: the fourth byte kept, the first three set at once.
      for (std::size_t x = 0; x < width; ++x) {
        std::uint32_t word;
        std::memcpy(&word, pixel + 4 * x, sizeof word);
        word = (word & 0xFF000000u) | (marks[x] != 0 ? 0u : 0x00FFFFFFu);
        std::memcpy(pixel + 4 * x, &word, sizeof word);
      }
    } else {
      for (std::size_t x = 0; x < width; ++x, pixel += 3) {
        const std::uint8_t shade = marks[x] != 0 ? 0 : 255;
        pixel[0] = shade;
        pixel[1] = shade;
        pixel[2] = shade;
      }
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
  // The file is rewritten in place and then cut to its new length: the same
  // result as truncating it first, without giving up and re-reserving the
  // blocks of a file that every run rewrites at the same size.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const std::array<std::uint8_t, 54> headers = DefectMapFileHeaders(image);
  const std::uint64_t data = PixelDataSize(image);
  bool written = WriteAll(fd, headers.data(), headers.size()) &&
                 WriteAll(fd, image.Pixels, static_cast<std::size_t>(data)) &&
                 ftruncate(fd, static_cast<off_t>(headers.size() + data)) == 0;
  written = close(fd) == 0 && written;
  return written;
}

}  // namespace sensor::glazet
