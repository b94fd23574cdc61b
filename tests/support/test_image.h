// In-memory bitmaps for the tests: a 40-byte information header and a pixel
// buffer laid out exactly as a bitmap file stores them, addressed by picture
// column and row (0, 0 at the top left) whichever way up the rows are stored.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sensor::test {

class TestImage {
 public:
  // bitCount 24 or 32 (any value for refusal tests); topDown stores the top row
  // first (negative height in the header).
  TestImage(std::int32_t width, std::int32_t height, std::uint16_t bitCount = 24,
            bool topDown = false);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::uint32_t Stride() const { return stride_; }
  int BytesPerPixel() const { return bitCount_ / 8; }

  unsigned char* Header() { return header_.data(); }
  unsigned char* Pixels() { return pixels_.data(); }
  std::vector<unsigned char>& PixelBuffer() { return pixels_; }
  const std::vector<unsigned char>& PixelBuffer() const { return pixels_; }

  // Byte offset of the pixel in column x, row y of the picture.
  std::size_t Offset(std::int32_t x, std::int32_t y) const;
  unsigned char* At(std::int32_t x, std::int32_t y) { return pixels_.data() + Offset(x, y); }
  const unsigned char* At(std::int32_t x, std::int32_t y) const {
    return pixels_.data() + Offset(x, y);
  }

  void SetBgr(std::int32_t x, std::int32_t y, std::uint8_t b, std::uint8_t g, std::uint8_t r);
  void FillBgr(std::uint8_t b, std::uint8_t g, std::uint8_t r);
  // Stores a raw sample the way the libraries read it back at the given depths
  // (sensor 8: byte 0; sensor 10: b0 = s >> 2, b1 = s & 3; sensor 12: b0 = s >> 4,
  // b1 = s & 3, so only samples whose bits 2 and 3 are 0 round-trip at 12 bits).
  void SetSample(std::int32_t x, std::int32_t y, std::uint16_t sample, int sensorBpp);
  void FillSample(std::uint16_t sample, int sensorBpp);
  // Every byte of every pixel (padding excluded) drawn from the generator.
  void Randomise(std::mt19937& random, int low = 0, int high = 255);

  // Overrides of individual header fields, for refusal tests.
  void SetHeaderWidth(std::int32_t w);
  void SetHeaderHeight(std::int32_t h);
  void SetHeaderBitCount(std::uint16_t bits);
  void SetHeaderSizeImage(std::uint32_t size);

  // The whole bitmap file: 14-byte file header, information header, pixels.
  std::vector<unsigned char> FileBytes() const;
  void WriteFile(const std::string& path) const;

 private:
  std::int32_t width_, height_;
  std::uint16_t bitCount_;
  bool topDown_;
  std::uint32_t stride_;
  std::vector<unsigned char> header_;
  std::vector<unsigned char> pixels_;
};

}  // namespace sensor::test
