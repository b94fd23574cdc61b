#include "frontend/pictures/raw_frame.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "common/frontend_interface.h"
#include "common/precondition.h"
#include "frontend/common/text_format.h"

namespace sensor::frontend {

bool AllocateBottomUpBitmap(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                            Picture& picture) {
  SENSOR_PRECONDITION(width > 0 && height > 0);
  bitmap::InfoFields fields;
  fields.Width = width;
  fields.Height = height;
  fields.BitCount = bitCount;
  const auto info = bitmap::InfoHeader(fields);
  const std::uint64_t size =
      bitmap::RowStride(bitCount, static_cast<std::uint64_t>(width)) * static_cast<std::uint64_t>(height);
  try {
    picture.Header.assign(info.begin(), info.end());
    picture.Pixels = PixelBuffer::Zeroed(size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

unsigned char* BottomUpRow(Picture& picture, std::int32_t height, std::int32_t y) {
  SENSOR_PRECONDITION(height > 0 && y >= 0 && y < height);
  SENSOR_PRECONDITION(picture.Pixels.size() % static_cast<std::size_t>(height) == 0);
  const std::size_t stride = picture.Pixels.size() / static_cast<std::size_t>(height);
  return picture.Pixels.data() + static_cast<std::size_t>(height - 1 - y) * stride;
}

int BitLength(std::uint64_t value) {
  int bits = 0;
  for (; value != 0; value >>= 1) ++bits;
  return bits;
}

std::optional<RawFrame> RawFrame::Make(std::int64_t width, std::int64_t height, const PictureRequest& mode,
                                       const SampleWords& words, LoadProblem& problem) {
  if (!mode.BayerMode) {
    problem = "a raw picture is analysed in Bayer mode only: give -BayerMode (or BayerMode=1)";
    return std::nullopt;
  }
  if (mode.SensorBpp != 8 && mode.SensorBpp != 10 && mode.SensorBpp != 12) {
    problem = Format("a raw picture needs the sensor depth of BitsUsage (8, 10 or 12), not %d",
                     static_cast<int>(mode.SensorBpp));
    return std::nullopt;
  }
  if (width <= 0 || height <= 0 || width > INT32_MAX / 4 || height > INT32_MAX) {
    problem = Format("the picture's size %lldx%lld cannot be analysed", static_cast<long long>(width),
                     static_cast<long long>(height));
    return std::nullopt;
  }
  RawFrame frame;
  frame.width_ = static_cast<std::int32_t>(width);
  frame.height_ = static_cast<std::int32_t>(height);
  frame.words_ = words;
  frame.drop_ = words.TopBits && words.Bits > mode.SensorBpp ? words.Bits - mode.SensorBpp : 0;
  frame.shift_ = mode.SensorBpp - 8;
  frame.low_ = (1u << frame.shift_) - 1;
  frame.max_ = (1u << mode.SensorBpp) - 1;
  if (!AllocateBottomUpBitmap(frame.width_, frame.height_, 32, frame.picture_)) {
    problem = Format("no memory for a picture of %dx%d pixels", frame.width_, frame.height_);
    return std::nullopt;
  }
  return frame;
}

bool RawFrame::StoreRow(std::int32_t y, const std::uint16_t* samples, LoadProblem& problem) {
  SENSOR_PRECONDITION(y >= 0 && y < height_ && samples != nullptr);
  // Each row holds Width() 32-bit pixels.
  SENSOR_PRECONDITION(picture_.Pixels.size() / static_cast<std::size_t>(height_) >=
                      4 * static_cast<std::size_t>(width_));
  unsigned char* row = BottomUpRow(picture_, height_, y);
  const int drop = drop_;
  const int shift = shift_;
  const std::uint32_t low = low_;
  // Every sample is in range when no bit above the depth is set in any.
  std::uint32_t anyBits = 0;
  for (std::int32_t x = 0; x < width_; ++x) {
    const std::uint32_t v = static_cast<std::uint32_t>(samples[x]) >> drop;
    anyBits |= v;
    const std::uint32_t word = (v >> shift) | ((v & low) << 8);
    std::memcpy(row + 4 * static_cast<std::size_t>(x), &word, sizeof word);
  }
  if ((anyBits & ~max_) == 0) return true;
  std::int32_t x = 0;
  while ((static_cast<std::uint32_t>(samples[x]) >> drop) <= max_) ++x;
  problem = RangeProblem(y, x, samples[x]);
  return false;
}

std::string RawFrame::RangeProblem(std::int32_t y, std::int32_t x, std::uint32_t word) const {
  const int depth = shift_ + 8;
  const std::string where = Format("the sample %u in row %d, column %d is above the %d-bit range (0 to %u)",
                                   word, y, x, depth, max_);
  if (drop_ > 0) {
    return where + Format(" in the top %d bits of its %d-bit word: the file's samples exceed its stated range",
                          depth, words_.Bits);
  }
  // A file that states a depth the libraries take: that depth reads it.
  if (words_.TopBits || words_.Bits <= depth ||
      (words_.Declared && (words_.Bits == 8 || words_.Bits == 10 || words_.Bits == 12))) {
    return where + ": set the sensor depth of BitsUsage to the file's depth";
  }
  return where + Format(": when the file holds %d-bit samples in the top bits of %d-bit words, give -TopBits "
                        "(or TopBits=1); else set the sensor depth of BitsUsage (8, 10 or 12) to the file's depth",
                        depth, words_.Bits);
}

}  // namespace sensor::frontend
