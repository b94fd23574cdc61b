#include "common/image_binding.h"

#include "common/bitmap_format.h"

namespace sensor {

BitmapHeaderFields ReadHeaderFields(const unsigned char* header) {
  BitmapHeaderFields f;
  f.Width = static_cast<std::int32_t>(bitmap::ReadU32(header + 4));
  f.Height = static_cast<std::int32_t>(bitmap::ReadU32(header + 8));
  f.BitCount = bitmap::ReadU16(header + 14);
  f.SizeImage = bitmap::ReadU32(header + 20);
  return f;
}

std::optional<std::uint64_t> PixelDataSize(const BitmapHeaderFields& f) {
  if (f.SizeImage != 0) return f.SizeImage;
  if (f.Width < 0) return std::nullopt;
  const std::uint64_t stride = bitmap::RowStride(f.BitCount, static_cast<std::uint64_t>(f.Width));
  const std::uint64_t height =
      f.Height < 0 ? -static_cast<std::int64_t>(f.Height) : static_cast<std::int64_t>(f.Height);
  std::uint64_t size = 0;
  if (__builtin_mul_overflow(stride, height, &size)) return std::nullopt;
  return size;
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
  // Width and height are below 2^31 and the bit count is 24 or 32: no overflow.
  const std::uint64_t imageSize = *PixelDataSize(f);
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
