#include "image_binding.h"

#include <cstring>

namespace sensor {
namespace {

std::uint32_t ReadU32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

}  // namespace

BitmapHeaderFields ReadHeaderFields(const unsigned char* header) {
  BitmapHeaderFields f;
  f.Width = static_cast<std::int32_t>(ReadU32(header + 4));
  f.Height = static_cast<std::int32_t>(ReadU32(header + 8));
  f.BitCount = static_cast<std::uint16_t>(ReadU32(header + 12) >> 16);
  f.SizeImage = ReadU32(header + 20);
  return f;
}

SensorDefectDetectionClass::ResultCode BindBitmap(const unsigned char* header,
                                                  unsigned char* pixels, ImageBinding& binding) {
  using namespace SensorDefectDetectionClass;
  if (header == nullptr) return E_INVALIDARG;
  const BitmapHeaderFields f = ReadHeaderFields(header);
  if (f.BitCount != 24 && f.BitCount != 32) return E_INVALIDARG;
  if (f.Height == 0 || f.Height == INT32_MIN || f.Width <= 0 || pixels == nullptr) {
    return E_INVALIDARG;
  }

  const std::int64_t height = f.Height < 0 ? -std::int64_t{f.Height} : f.Height;
  const std::int64_t bytesPerPixel = f.BitCount / 8;
  std::uint64_t imageSize = f.SizeImage;
  if (imageSize == 0) {
    const std::uint64_t bits = std::uint64_t{f.BitCount} * static_cast<std::uint64_t>(f.Width);
    const std::uint64_t words = (bits >> 5) + ((bits & 31u) != 0 ? 1 : 0);
    imageSize = words * 4 * static_cast<std::uint64_t>(height);
  }
  const std::uint64_t stride = imageSize / static_cast<std::uint64_t>(height);
  if (stride < static_cast<std::uint64_t>(f.Width) * bytesPerPixel || stride > INT32_MAX) {
    return E_INVALIDARG;
  }

  ImageBinding b;
  b.Width = f.Width;
  b.Height = static_cast<std::int32_t>(height);
  b.BitCount = f.BitCount;
  b.BytesPerPixel = static_cast<std::int32_t>(bytesPerPixel);
  b.Pixels = pixels;
  b.Stride = static_cast<std::uint32_t>(stride);
  if (f.Height < 0) {
    b.Origin = pixels;
    b.RowStep = static_cast<std::int32_t>(stride);
  } else {
    b.Origin = pixels + static_cast<std::ptrdiff_t>(height - 1) * static_cast<std::ptrdiff_t>(stride);
    b.RowStep = -static_cast<std::int32_t>(stride);
  }
  binding = b;
  return S_OK;
}

}  // namespace sensor
