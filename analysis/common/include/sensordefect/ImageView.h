// What the in-memory analyses share: the view of a picture held by the caller,
// the options of one call and the status every result carries.
//
// A view never owns or changes the pixels; they must stay valid and unchanged
// while a call that was given the view runs. Nothing in these records is
// checked when it is made: each analysis checks the view it is given and
// answers a bad one with a status (E_INVALIDARG and a message), never with a
// crash.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "sensordefect/ResultCodes.h"

namespace sensordefect {

using SensorDefectDetectionClass::ResultCode;

// How the pixels of a view are stored.
enum class PixelLayout : std::int32_t {
  // The station's bitmap pixels: bytes blue, green, red (and a fourth byte
  // that is not read). In Bayer mode the sample sits in the first two bytes
  // by the libraries' sample rule, as a station's bitmap holds it.
  Bgr24 = 0,
  Bgra32 = 1,
  // The same colours in the order numpy imaging libraries hold them: red,
  // green, blue (and a fourth byte that is not read). Colour mode only.
  Rgb24 = 2,
  Rgba32 = 3,
  // Single-sample Bayer frames: one unsigned sample per pixel, as stored
  // (8 bits, or 16 bits in host byte order), at most 2^SensorBpp - 1. A 16-bit
  // sample v at sensor depth d is analysed exactly as the station's bitmap
  // pixel whose first byte is v >> (d - 8) and whose second byte holds the
  // d - 8 low bits, so the libraries' sample rule applies unchanged (a 12-bit
  // sensor keeps the two lowest bits of the four below the top eight).
  // Bayer mode only.
  Bayer8 = 4,
  Bayer16 = 5,
};

// Bytes of one pixel of a layout; 0 for a value that is not a layout.
constexpr std::int32_t BytesPerPixel(PixelLayout layout) {
  switch (layout) {
    case PixelLayout::Bgr24:
    case PixelLayout::Rgb24: return 3;
    case PixelLayout::Bgra32:
    case PixelLayout::Rgba32: return 4;
    case PixelLayout::Bayer8: return 1;
    case PixelLayout::Bayer16: return 2;
  }
  return 0;
}

// A picture of Width x Height pixels held by the caller. Row 0 is the top row
// of the picture, the one the findings count from. RowStride is the distance in
// bytes from the first pixel of one row to the first pixel of the row below:
// at least a row's bytes in magnitude, negative for pictures stored bottom row
// first (Pixels then points at the top row, the last one stored).
struct ImageView {
  const void* Pixels = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int64_t RowStride = 0;
  PixelLayout Layout = PixelLayout::Bgra32;
};

// The options of one call.
struct RunOptions {
  // Threads this call may use; 0 uses the process default (SENSOR_THREADS, or
  // the processors the process may run on). Results are the same for every
  // thread count.
  std::int32_t Threads = 0;
  // When set, the call looks at this flag between rows and stops soon after it
  // becomes true; its result then has the status E_ABORT with the message
  // "cancelled" and no findings.
  const std::atomic<bool>* Cancel = nullptr;
};

// How a call ended: S_OK, or a result code of ResultCodes.h with one line
// saying what was wrong and what to do.
struct RunStatus {
  ResultCode Code = SensorDefectDetectionClass::S_OK;
  std::string Message;
  bool Ok() const { return Code == SensorDefectDetectionClass::S_OK; }
};

// An inclusive rectangle of picture columns and rows counted from the top-left
// pixel; Right < Left or Bottom < Top is an empty area.
struct Area {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = -1;
  std::int32_t Bottom = -1;
};

// The five level statistics in the order R, G, B, G1, G2 (colour mode: G1 and
// G2 are 0; Bayer mode: G is 0).
using LevelValues = std::array<double, 5>;

}  // namespace sensordefect
