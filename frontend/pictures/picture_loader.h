// The one entry point for the picture of a run. The file's first bytes decide
// its reader: "BM" the station's bitmaps (bitmap_reader.h), "P5" a binary
// greymap (pgm_reader.h), "II*" or "MM*" a TIFF or DNG file (tiff_reader.h);
// with a raw layout given (-RawLayout) the file is a headerless raw frame
// (packed_raw_reader.h) whatever it begins with. Every reader takes the file's
// bytes and gives the same picture (picture.h), a bitmap header block and
// pixel buffer that the libraries bind as they bind a bitmap file's.
#pragma once

#include <optional>
#include <string>

#include "frontend/pictures/picture.h"

namespace sensor::frontend {

// Reads the picture file; nothing when it cannot be read. A bitmap file, or a
// file of no known kind, fails silently as it always has; a file recognised
// as another kind, or any file read through a raw layout, sets `problem` to
// what is wrong with it. The file is mapped, or read where it cannot be
// mapped; a bitmap read for PixelMemory::Own is read into memory of its own
// and never mapped, its pixel data starting a large page. A bitmap's pixels
// stay where the file's bytes are: no pixel is copied.
std::optional<Picture> ReadPicture(const std::optional<std::string>& path, const PictureRequest& request,
                                   LoadProblem& problem);

// The picture in a file's bytes, chosen and read as ReadPicture does; a
// bitmap's pixels are copied into memory of their own.
std::optional<Picture> ReadPictureBytes(FileBytes file, const PictureRequest& request, LoadProblem& problem);

// ReadPicture, and when there is a problem a console line saying it.
std::optional<Picture> LoadPicture(const std::optional<std::string>& path, const PictureRequest& request);

}  // namespace sensor::frontend
