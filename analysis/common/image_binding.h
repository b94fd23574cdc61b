// The bound bitmap: how an analysis library addresses the host's pixel rows.
//
// A binding is made once from the 40-byte bitmap information header and the
// host's pixel pointer. It copies nothing: the pixel buffer stays the host's and
// must hold at least Height x Stride bytes for as long as the binding is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/precondition.h"
#include "common/rect.h"
#include "sensordefect/ResultCodes.h"

namespace sensor {

struct ImageBinding {
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // absolute value of biHeight
  std::uint16_t BitCount = 0;
  std::int32_t BytesPerPixel = 0;
  std::uint8_t* Pixels = nullptr;  // first byte of the host's buffer
  std::uint32_t Stride = 0;        // bytes per stored row
  std::int32_t RowStep = 0;        // byte distance from one picture row to the row below
  std::uint8_t* Origin = nullptr;  // first byte of the top picture row

  // First byte of the pixel in column x and row y (0, 0 is the top-left pixel)
  // of a bound picture.
  std::uint8_t* PixelAt(std::int32_t x, std::int32_t y) const {
    SENSOR_PRECONDITION(Origin != nullptr && x >= 0 && x < Width && y >= 0 && y < Height);
    return Origin + static_cast<std::ptrdiff_t>(y) * RowStep +
           static_cast<std::ptrdiff_t>(x) * BytesPerPixel;
  }
  std::uint8_t* RowAt(std::int32_t y) const {
    SENSOR_PRECONDITION(Origin != nullptr && y >= 0 && y < Height);
    return Origin + static_cast<std::ptrdiff_t>(y) * RowStep;
  }
  Rect Bounds() const { return Rect{0, 0, Width - 1, Height - 1}; }
  bool TopRowFirst() const { return RowStep > 0; }
};

// The header values a binding needs, read little-endian from the 40-byte header.
struct BitmapHeaderFields {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint16_t BitCount = 0;
  std::uint32_t SizeImage = 0;
};

BitmapHeaderFields ReadHeaderFields(const unsigned char* header);

// The pixel-data size a header gives: SizeImage when it is not 0, else the
// stride rule's rows times |Height|, in 64 bits. Nothing when the width is
// negative or the size does not fit in 64 bits.
std::optional<std::uint64_t> PixelDataSize(const BitmapHeaderFields& fields);

// Binds a bitmap. Refuses with E_INVALIDARG, leaving `binding` untouched, a bit
// count other than 24 or 32, a zero height, a zero or negative width, and a
// stride (as the header gives it) too short for one row of pixels.
SensorDefectDetectionClass::ResultCode BindBitmap(const unsigned char* header,
                                                  unsigned char* pixels, ImageBinding& binding);

}  // namespace sensor
