// The bitmap file format in one place: its little-endian fields, the stride
// rule of its rows and its headers. Standard library only, so that the
// libraries, the front end, the tools and the tests all read and write bitmaps
// the same way.
#pragma once

#include <array>
#include <cstdint>

namespace sensor::bitmap {

inline constexpr std::uint32_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

inline std::uint16_t ReadU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t ReadU32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
inline void PutU16(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutU32(unsigned char* p, std::uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

// Bytes of one stored row: the row's bits rounded up to whole 32-bit words.
inline std::uint64_t RowStride(std::uint32_t bitCount, std::uint64_t width) {
  const std::uint64_t bits = std::uint64_t{bitCount} * width;
  return ((bits >> 5) + ((bits & 31u) != 0 ? 1 : 0)) * 4;
}

// The fields of a 40-byte information header that this project writes; the
// planes are always 1, compression and colour counts always 0.
struct InfoFields {
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // negative: the top row is stored first
  std::uint16_t BitCount = 24;
  std::uint32_t SizeImage = 0;
  std::int32_t PixelsPerMetre = 0;  // both resolutions
};

inline void WriteInfoHeader(unsigned char* p, const InfoFields& f) {
  for (std::uint32_t i = 0; i < kInfoHeaderSize; ++i) p[i] = 0;
  PutU32(p, kInfoHeaderSize);
  PutU32(p + 4, static_cast<std::uint32_t>(f.Width));
  PutU32(p + 8, static_cast<std::uint32_t>(f.Height));
  PutU16(p + 12, 1);
  PutU16(p + 14, f.BitCount);
  PutU32(p + 20, f.SizeImage);
  PutU32(p + 24, static_cast<std::uint32_t>(f.PixelsPerMetre));
  PutU32(p + 28, static_cast<std::uint32_t>(f.PixelsPerMetre));
}

inline std::array<unsigned char, kInfoHeaderSize> InfoHeader(const InfoFields& f) {
  std::array<unsigned char, kInfoHeaderSize> h{};
  WriteInfoHeader(h.data(), f);
  return h;
}

// The 14-byte file header: "BM", the file size, the offset of the pixel data.
inline void WriteFileHeader(unsigned char* p, std::uint32_t fileSize, std::uint32_t pixelOffset) {
  for (std::uint32_t i = 0; i < kFileHeaderSize; ++i) p[i] = 0;
  p[0] = 'B';
  p[1] = 'M';
  PutU32(p + 2, fileSize);
  PutU32(p + 10, pixelOffset);
}

// Both headers of a file whose pixel data of `pixelBytes` follows them.
inline std::array<unsigned char, kHeadersSize> FileHeaders(const InfoFields& f,
                                                           std::uint64_t pixelBytes) {
  std::array<unsigned char, kHeadersSize> h{};
  WriteFileHeader(h.data(), static_cast<std::uint32_t>(kHeadersSize + pixelBytes), kHeadersSize);
  WriteInfoHeader(h.data() + kFileHeaderSize, f);
  return h;
}

}  // namespace sensor::bitmap
