// Loading of the bitmap file that a run analyses: the header block (the
// information header and whatever lies between it and the pixel data) and the
// pixel data, in two buffers that the run owns and hands to the library's
// image binding unchanged. The pixel data is mapped from the file where it can
// be (pixel_buffer.h), else read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/pictures/pixel_buffer.h"

namespace sensor::frontend {

// The sample levels a DNG file states (BlackLevel, WhiteLevel: as many
// values as the file gives), or the format's defaults where it gives none.
struct DngLevels {
  std::vector<double> Black;
  std::vector<double> White;
};

struct LoadedBitmap {
  std::vector<unsigned char> Header;  // bfOffBits - 14 bytes, at least 40
  PixelBuffer Pixels;                 // the pixel-data size below
  std::optional<DngLevels> Dng;       // a picture read from a DNG file
};

// Where a loaded bitmap's pixels live: a private mapping of the file, which
// costs no copy for a run that only reads them, or memory of their own, read
// from the file, for a run that paints every pixel (a mapped page would be
// copied on its first write, one fault per small page).
enum class PixelMemory { MappedFile, Own };

// Pixel-data size of a header block: biSizeImage when it is not 0, else
// ceil(biBitCount x biWidth / 32) x 4 x |biHeight|, computed in 64 bits.
// Nothing when the block is shorter than 40 bytes, the width is negative, or
// the size does not fit in 64 bits.
std::optional<std::uint64_t> PixelDataSize(const std::vector<unsigned char>& header);

// Makes `out` a zero-filled buffer of `size` bytes of its own, on large pages
// when it is large; throws std::bad_alloc when it cannot be had.
void AllocatePixelBuffer(PixelBuffer& out, std::uint64_t size);

// Reads the file; nothing when the path is absent, names no regular file (a
// named pipe, a device, a directory) or the file cannot be read,
// does not begin with "BM", puts its pixel data less than 54 bytes in, is
// shorter than the two pieces, or needs buffers that cannot be had. A bitmap
// whose pixel buffer is smaller than the image binding would address (height x
// stride as the libraries compute them) is refused as well, so that no file can
// make a library read outside the buffers. Every size is checked against the
// file's before a pixel is mapped or read; a file that cannot be mapped is
// read.
std::optional<LoadedBitmap> LoadBitmapFile(const std::optional<std::string>& path,
                                           PixelMemory memory = PixelMemory::MappedFile);

// A copy of a loaded bitmap with pixel memory of its own; nothing when the
// buffers cannot be had.
std::optional<LoadedBitmap> CopyBitmap(const LoadedBitmap& bitmap);

}  // namespace sensor::frontend
