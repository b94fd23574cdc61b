#include "frontend/pictures/packed_raw_reader.h"

#include <strings.h>

#include <new>
#include <string>
#include <vector>

#include "common/precondition.h"
#include "frontend/common/text_format.h"
#include "frontend/common/value_scan.h"

namespace sensor::frontend {

std::optional<RawLayout> ParseRawLayout(const char* text) {
  if (text == nullptr) return std::nullopt;
  RawLayout layout;
  if (strncasecmp(text, "raw10,", 6) == 0) {
    layout.Format = RawFormat::Raw10;
  } else if (strncasecmp(text, "raw12,", 6) == 0) {
    layout.Format = RawFormat::Raw12;
  } else if (strncasecmp(text, "raw16,", 6) == 0) {
    layout.Format = RawFormat::Raw16;
  } else {
    return std::nullopt;
  }
  const char* rest = text + 6;
  const std::optional<std::int32_t> width = ScanInt32(rest);
  if (!width || *rest != ',') return std::nullopt;
  ++rest;
  const std::optional<std::int32_t> height = ScanInt32(rest);
  if (!height || *width <= 0 || *height <= 0) return std::nullopt;
  layout.Width = *width;
  layout.Height = *height;
  layout.Stride = PackedRowBytes(layout.Format, layout.Width);
  if (*rest == ',') {
    ++rest;
    const std::optional<std::int32_t> stride = ScanInt32(rest);
    if (!stride || *stride < 0 || static_cast<std::uint64_t>(*stride) < layout.Stride) return std::nullopt;
    layout.Stride = static_cast<std::uint64_t>(*stride);
  }
  if (*rest != '\0') return std::nullopt;
  return layout;
}

std::uint64_t PackedRowBytes(RawFormat format, std::int32_t width) {
  const std::uint64_t bits = format == RawFormat::Raw10 ? 10 : format == RawFormat::Raw12 ? 12 : 16;
  return (static_cast<std::uint64_t>(width) * bits + 7) / 8;
}

namespace {

// Groups of kPerGroup high bytes and one byte of their low bits, the first
// sample's in the lowest bits; the group size fixed so that the loop unrolls.
template <std::int32_t kPerGroup, int kLowBits>
void UnpackGroups(const unsigned char* __restrict row, std::int32_t n, std::uint16_t* __restrict samples) {
  constexpr std::uint32_t kLowMask = (1u << kLowBits) - 1;
  std::int32_t x = 0;
  for (; x + kPerGroup <= n; x += kPerGroup, row += kPerGroup + 1) {
    const std::uint32_t low = row[kPerGroup];
    for (std::int32_t k = 0; k < kPerGroup; ++k) {
      samples[x + k] = static_cast<std::uint16_t>(row[k] << kLowBits | ((low >> (kLowBits * k)) & kLowMask));
    }
  }
  const std::int32_t left = n - x;  // samples of a last, partial group
  for (std::int32_t k = 0; k < left; ++k) {
    samples[x + k] = static_cast<std::uint16_t>(row[k] << kLowBits | ((row[left] >> (kLowBits * k)) & kLowMask));
  }
}

}  // namespace

void UnpackRow(RawFormat format, const unsigned char* row, std::int32_t width, std::uint16_t* samples) {
  SENSOR_PRECONDITION(width >= 0 && (width == 0 || (row != nullptr && samples != nullptr)));
  switch (format) {
    case RawFormat::Raw10:
      UnpackGroups<4, 2>(row, width, samples);
      return;
    case RawFormat::Raw12:
      UnpackGroups<2, 4>(row, width, samples);
      return;
    case RawFormat::Raw16:
      for (std::int32_t x = 0; x < width; ++x) {
        samples[x] = static_cast<std::uint16_t>(row[2 * x] | row[2 * x + 1] << 8);
      }
      return;
  }
}

std::optional<Picture> ReadPackedRaw(FileBytes file, const RawLayout& layout, const PictureRequest& mode,
                                     LoadProblem& problem) {
  // A layout as ParseRawLayout gives it: positive sizes, whole packed rows.
  SENSOR_PRECONDITION(layout.Width > 0 && layout.Height > 0);
  SENSOR_PRECONDITION(layout.Stride >= PackedRowBytes(layout.Format, layout.Width));
  const std::uint64_t expected = layout.Stride * static_cast<std::uint64_t>(layout.Height);
  const std::uint64_t fileSize = file.size();
  if (fileSize != expected) {
    problem = Format("the file holds %llu bytes, the layout %s,%d,%d with a stride of %llu needs %llu",
                     static_cast<unsigned long long>(fileSize),
                     layout.Format == RawFormat::Raw10   ? "raw10"
                     : layout.Format == RawFormat::Raw12 ? "raw12"
                                                         : "raw16",
                     layout.Width, layout.Height, static_cast<unsigned long long>(layout.Stride),
                     static_cast<unsigned long long>(expected));
    return std::nullopt;
  }
  const SampleWords words{layout.Format == RawFormat::Raw10 ? 10 : layout.Format == RawFormat::Raw12 ? 12 : 16,
                          layout.Format != RawFormat::Raw16, mode.TopBits};
  std::optional<RawFrame> frame = RawFrame::Make(layout.Width, layout.Height, mode, words, problem);
  if (!frame) return std::nullopt;

  std::vector<std::uint16_t> samples;
  try {
    samples.resize(static_cast<std::size_t>(layout.Width));
  } catch (const std::bad_alloc&) {
    problem = "no memory for reading the frame";
    return std::nullopt;
  }
  // The file holds Height rows of Stride bytes, each row Width samples.
  SENSOR_PRECONDITION(file.size() == expected && samples.size() == std::size_t(layout.Width));
  for (std::int32_t y = 0; y < layout.Height; ++y) {
    UnpackRow(layout.Format, file.data() + static_cast<std::size_t>(y) * layout.Stride, layout.Width, samples.data());
    if (!frame->StoreRow(y, samples.data(), problem)) return std::nullopt;
  }
  return std::move(*frame).Finish();
}

}  // namespace sensor::frontend
