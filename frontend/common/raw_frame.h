// A picture of raw Bayer samples turned into the bitmap the libraries bind:
// a 32-bit bitmap stored top row first, each sample v at the sensor depth d
// held as a station's bitmap holds it: first byte v >> (d - 8), second byte
// the remaining d - 8 low bits, third and fourth byte 0. The libraries then
// read it back with their own sample rule, so a raw frame and its bitmap give
// the same results.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/common/bitmap_loader.h"

namespace sensor::frontend {

// What a run will make of the picture: the analysis mode and the sensor depth
// of BitsUsage.
struct PictureMode {
  bool BayerMode = false;
  std::int32_t SensorBpp = 0;
};

// Why a picture was not loaded; empty while nothing is wrong.
using LoadProblem = std::string;

class RawFrame {
 public:
  // A frame of width x height samples; nothing, with the problem set, when
  // the run is in colour mode, the sensor depth is not 8, 10 or 12, the size
  // is not positive or the buffer cannot be had.
  static std::optional<RawFrame> Make(std::int64_t width, std::int64_t height, const PictureMode& mode,
                                      LoadProblem& problem);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::uint32_t MaxSample() const { return max_; }

  // Stores picture row y (0 is the top row) from Width() samples; false, with
  // the problem set, when a sample is above the depth's range.
  bool StoreRow(std::int32_t y, const std::uint16_t* samples, LoadProblem& problem);

  LoadedBitmap Finish() && { return std::move(picture_); }

 private:
  RawFrame() = default;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int shift_ = 0;           // d - 8
  std::uint32_t low_ = 0;   // mask of the d - 8 low bits
  std::uint32_t max_ = 0;   // 2^d - 1
  LoadedBitmap picture_;
};

// The picture's header block for a bitmap of width x height pixels of
// `bitCount` bits stored top row first, and its zero-filled pixel buffer;
// false when the buffer cannot be had.
bool AllocateTopDownBitmap(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                           LoadedBitmap& picture);

}  // namespace sensor::frontend
