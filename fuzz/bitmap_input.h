// What the three library fuzz targets share: the bitmap behind the parameter
// bytes, loaded as the test programs load it, and the margins every parameter
// record has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "frontend/pictures/bitmap_reader.h"
#include "fuzz_input.h"

namespace sensor::fuzz {

// The bytes after the first `skip` of an input read by the programs' own
// bitmap reader; nothing when they do not load.
inline std::optional<frontend::Picture> LoadBitmapAfter(const std::uint8_t* data, std::size_t size,
                                                        std::size_t skip) {
  if (size < skip) return std::nullopt;
  return frontend::ReadBitmap(frontend::FileBytes(data + skip, size - skip));
}

// The four outlier margins of any of the libraries' parameter records.
template <class Params>
void ReadMargins(ParameterBytes& in, Params& p) {
  p.OutlierLeft = in.Integer();
  p.OutlierTop = in.Integer();
  p.OutlierRight = in.Integer();
  p.OutlierBottom = in.Integer();
}

}  // namespace sensor::fuzz
