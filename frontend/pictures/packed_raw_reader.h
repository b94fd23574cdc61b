// Headerless raw frames as sensors send them, described by -RawLayout
// FORMAT,WIDTH,HEIGHT[,STRIDE]: raw10 (MIPI CSI-2 packing: four samples in
// five bytes, the four high bytes then one byte of their two low bits each,
// first sample in the lowest bits), raw12 (two samples in three bytes, the low
// four bits of the first in the third byte's low half) or raw16 (one
// little-endian 16-bit word per sample). Rows top first; STRIDE is the bytes
// per row, at least and by default the packed row length. A row whose width
// ends inside a group holds the high bytes of its last samples and then their
// low-bits byte.
#pragma once

#include <cstdint>
#include <optional>

#include "frontend/pictures/raw_frame.h"

namespace sensor::frontend {

enum class RawFormat { Raw10, Raw12, Raw16 };

struct RawLayout {
  RawFormat Format = RawFormat::Raw10;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint64_t Stride = 0;  // bytes per row, never below the packed row length
};

// The layout a -RawLayout value describes (format names in any letter case);
// nothing when it does not scan completely, a size is not positive or the
// stride is shorter than a packed row.
std::optional<RawLayout> ParseRawLayout(const char* text);

// Bytes of the samples of one row, without padding.
std::uint64_t PackedRowBytes(RawFormat format, std::int32_t width);

// Unpacks one stored row into `width` samples.
void UnpackRow(RawFormat format, const unsigned char* row, std::int32_t width, std::uint16_t* samples);

// The frame in `file`, whose size must be exactly Stride x Height, its
// samples read as `request` says.
std::optional<Picture> ReadPackedRaw(FileBytes file, const RawLayout& layout, const PictureRequest& request,
                                     LoadProblem& problem);

}  // namespace sensor::frontend
