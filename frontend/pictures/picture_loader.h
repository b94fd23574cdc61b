// The one entry point for the picture of a run. The file's first bytes decide
// its reader: "BM" the station's bitmaps (bitmap_loader.h), "P5" a binary
// greymap (pgm_reader.h), "II*" or "MM*" a TIFF or DNG file (tiff_reader.h);
// with a raw layout given (-RawLayout) the file is a headerless raw frame
// (packed_raw_reader.h) whatever it begins with. Every reader gives the same
// loaded picture, a bitmap header block and pixel buffer that the libraries
// bind as they bind a bitmap file's.
#pragma once

#include <optional>
#include <string>

#include "frontend/pictures/bitmap_loader.h"
#include "frontend/pictures/raw_frame.h"

namespace sensor::frontend {

struct PictureRequest {
  PictureMode Mode;
  // The -RawLayout value as given; absent without the option.
  std::optional<std::string> RawLayout;
  // Where a bitmap's pixels go (the raw readers always fill memory of their own).
  PixelMemory Memory = PixelMemory::MappedFile;
};

// Loads the picture; nothing when it cannot be loaded. A bitmap file, or a
// file of no known kind, fails silently as it always has; a file recognised
// as another kind, or any file read through a raw layout, sets `problem` to
// what is wrong with it.
std::optional<LoadedBitmap> ReadPicture(const std::optional<std::string>& path, const PictureRequest& request,
                                        LoadProblem& problem);

// ReadPicture, and when there is a problem a console line saying it.
std::optional<LoadedBitmap> LoadPicture(const std::optional<std::string>& path, const PictureRequest& request);

}  // namespace sensor::frontend
