// The station's bitmaps ("BM"): the header block and the pixel data of a
// bitmap file's bytes, checked so that no file can make a library read outside
// the picture's buffers.
#pragma once

#include <cstdint>
#include <optional>

#include "frontend/pictures/picture.h"

namespace sensor::frontend {

// Where a bitmap file's pixel data lies: `Offset` (bfOffBits) and `Size` (the
// header block's pixel-data size) bytes, both inside the file.
struct BitmapPlace {
  std::uint64_t Offset = 0;
  std::uint64_t Size = 0;
};

// The header block of a bitmap file and where its pixel data lies; nothing
// when the bytes do not begin with "BM", put the pixel data less than 54 bytes
// in, end before the two pieces, or the block cannot be had. A bitmap whose
// pixel data is smaller than the image binding would address (height x stride
// as the libraries compute them) is refused as well.
std::optional<BitmapPlace> ReadBitmapHeader(FileBytes file, std::vector<unsigned char>& header);

// The bitmap in `file`, its pixels copied into memory of their own; nothing
// when ReadBitmapHeader refuses it or the memory cannot be had.
std::optional<Picture> ReadBitmap(FileBytes file);

// The bitmap in a buffer that holds a whole file (mapped or read), which its
// pixels keep: no pixel is copied. A mapping's pixel pages are entered before
// the call returns; nothing when the file was cut short beneath them.
std::optional<Picture> ReadBitmapInPlace(PixelBuffer&& file);

}  // namespace sensor::frontend
