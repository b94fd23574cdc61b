// A picture of raw Bayer samples turned into the bitmap the libraries bind:
// a 32-bit bitmap stored bottom row first, as a station's bitmap is, each
// sample v at the sensor depth d held as a station's bitmap holds it: first
// byte v >> (d - 8), second byte the remaining d - 8 low bits, third and
// fourth byte 0. The libraries then read it back with their own sample rule,
// so a raw frame and its bitmap give the same results, and Glazet's map of a
// raw frame is the same file as the map of its bitmap.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/pictures/picture.h"

namespace sensor::frontend {

// How a file holds its samples: in words of `Bits` bits (8 or 16 for TIFF and
// raw16 frames, 10 or 12 for packed frames, the bit length of a greymap's
// largest value or of a DNG's WhiteLevel), each sample in the word's low bits
// unless `TopBits`: then the sample is the word's top d bits and its Bits - d
// low bits are dropped. `Declared`: the file states its range (greymap,
// DNG WhiteLevel, packed frames), so that Bits is the file's depth.
struct SampleWords {
  int Bits = 16;
  bool Declared = false;
  bool TopBits = false;
};

class RawFrame {
 public:
  // A frame of width x height samples; nothing, with the problem set, when
  // the run is in colour mode, the sensor depth is not 8, 10 or 12, the size
  // is not positive or the buffer cannot be had.
  static std::optional<RawFrame> Make(std::int64_t width, std::int64_t height, const PictureRequest& mode,
                                      const SampleWords& words, LoadProblem& problem);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::uint32_t MaxSample() const { return max_; }

  // Stores picture row y (0 is the top row) from Width() words; false, with
  // the problem set, when a sample is above the depth's range.
  bool StoreRow(std::int32_t y, const std::uint16_t* samples, LoadProblem& problem);

  Picture Finish() && { return std::move(picture_); }

 private:
  RawFrame() = default;
  std::string RangeProblem(std::int32_t y, std::int32_t x, std::uint32_t word) const;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int drop_ = 0;            // low bits of a word below the sample
  int shift_ = 0;           // d - 8
  std::uint32_t low_ = 0;   // mask of the d - 8 low bits
  std::uint32_t max_ = 0;   // 2^d - 1
  SampleWords words_;
  Picture picture_;
};

// The picture's header block for a bitmap of width x height pixels of
// `bitCount` bits stored bottom row first, and its zero-filled pixel buffer;
// false when the buffer cannot be had.
bool AllocateBottomUpBitmap(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                            Picture& picture);

// Where picture row y (0 is the top row) of such a bitmap begins.
unsigned char* BottomUpRow(Picture& picture, std::int32_t height, std::int32_t y);

// The number of bits below and at the highest set bit (0 for 0).
int BitLength(std::uint64_t value);

}  // namespace sensor::frontend
