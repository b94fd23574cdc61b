#include "test_image.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "common/bitmap_format.h"

namespace sensor::test {
namespace {

using bitmap::PutU16;
using bitmap::PutU32;

}  // namespace

TestImage::TestImage(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                     bool topDown)
    : width_(width), height_(height), bitCount_(bitCount), topDown_(topDown) {
  stride_ = static_cast<std::uint32_t>(bitmap::RowStride(bitCount, static_cast<std::uint64_t>(width)));
  bitmap::InfoFields fields;
  fields.Width = width;
  fields.Height = topDown ? -height : height;
  fields.BitCount = bitCount;
  const auto info = bitmap::InfoHeader(fields);
  header_.assign(info.begin(), info.end());
  pixels_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0);
}

std::size_t TestImage::Offset(std::int32_t x, std::int32_t y) const {
  const std::int32_t storedRow = topDown_ ? y : height_ - 1 - y;
  return static_cast<std::size_t>(storedRow) * stride_ +
         static_cast<std::size_t>(x) * static_cast<std::size_t>(bitCount_ / 8);
}

void TestImage::SetBgr(std::int32_t x, std::int32_t y, std::uint8_t b, std::uint8_t g,
                       std::uint8_t r) {
  unsigned char* p = At(x, y);
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

void TestImage::FillBgr(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  for (std::int32_t y = 0; y < height_; ++y)
    for (std::int32_t x = 0; x < width_; ++x) SetBgr(x, y, b, g, r);
}

void TestImage::SetSample(std::int32_t x, std::int32_t y, std::uint16_t sample, int sensorBpp) {
  unsigned char* p = At(x, y);
  if (sensorBpp == 8) {
    p[0] = static_cast<unsigned char>(sample);
    p[1] = 0;
  } else {
    const int shift = sensorBpp == 10 ? 2 : 4;
    p[0] = static_cast<unsigned char>(sample >> shift);
    p[1] = static_cast<unsigned char>(sample & 3);
  }
}

void TestImage::FillSample(std::uint16_t sample, int sensorBpp) {
  for (std::int32_t y = 0; y < height_; ++y)
    for (std::int32_t x = 0; x < width_; ++x) SetSample(x, y, sample, sensorBpp);
}

void TestImage::Randomise(std::mt19937& random, int low, int high) {
  std::uniform_int_distribution<int> byte(low, high);
  const int bpp = bitCount_ / 8;
  for (std::int32_t y = 0; y < height_; ++y)
    for (std::int32_t x = 0; x < width_; ++x) {
      unsigned char* p = At(x, y);
      for (int i = 0; i < bpp; ++i) p[i] = static_cast<unsigned char>(byte(random));
    }
}

void TestImage::SetHeaderWidth(std::int32_t w) { PutU32(&header_[4], static_cast<std::uint32_t>(w)); }
void TestImage::SetHeaderHeight(std::int32_t h) { PutU32(&header_[8], static_cast<std::uint32_t>(h)); }
void TestImage::SetHeaderBitCount(std::uint16_t bits) { PutU16(&header_[14], bits); }
void TestImage::SetHeaderSizeImage(std::uint32_t size) { PutU32(&header_[20], size); }

std::vector<unsigned char> TestImage::FileBytes() const {
  std::vector<unsigned char> file(14 + header_.size() + pixels_.size(), 0);
  bitmap::WriteFileHeader(file.data(), static_cast<std::uint32_t>(file.size()),
                          static_cast<std::uint32_t>(14 + header_.size()));
  std::copy(header_.begin(), header_.end(), file.begin() + 14);
  std::copy(pixels_.begin(), pixels_.end(), file.begin() + 14 + static_cast<std::ptrdiff_t>(header_.size()));
  return file;
}

void TestImage::WriteFile(const std::string& path) const {
  const std::vector<unsigned char> bytes = FileBytes();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace sensor::test
