// Bitmap files byte by byte, as any writer may lay them out: the file header,
// an information header of 40, 108 or 124 bytes (or any other size), whatever
// lies between it and the pixels (palette, colour masks), and the pixel data;
// every field may be set to a value no honest writer would use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sensor::test {

using Bytes = std::vector<unsigned char>;

struct BitmapLayout {
  std::string Signature = "BM";
  std::uint32_t InfoSize = 40;  // biSize, and the bytes the information header takes
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint16_t BitCount = 24;
  std::uint32_t Compression = 0;  // 3 with a 32-bit header of 108 or 124 bytes adds masks
  std::uint32_t SizeImage = 0;
  Bytes Between;                          // palette or masks behind the header
  std::optional<std::uint32_t> OffBits;   // else 14 + InfoSize + Between.size()
  Bytes Pixels;                           // the pixel data as stored
};

Bytes FileBytes(const BitmapLayout& layout);

// The first `length` bytes of a file.
Bytes Cut(Bytes bytes, std::size_t length);

// A palette of `entries` four-byte colours.
Bytes Palette(std::size_t entries);

// Rows of `rowBytes` bytes each re-laid with `stride` bytes per row, the new
// bytes of each row set to `padding`.
Bytes Restride(const Bytes& pixels, std::size_t rows, std::size_t rowBytes, std::size_t oldStride,
               std::size_t stride, unsigned char padding);

}  // namespace sensor::test
