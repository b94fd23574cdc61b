// TIFF pictures through libtiff, DNG among them: one-channel 8- or 16-bit
// greyscale or colour-filter-array (CFA) pictures are raw Bayer samples;
// three-channel 8-bit RGB pictures are colour pictures, held as a 24-bit
// bitmap stored bottom row first. Strips or tiles, uncompressed or with any
// compression the installed libtiff decodes; rows top first (orientation 1).
// A DNG's main picture (its first full-resolution image, in the first
// directory or a sub-directory) is cut to its active area, and a CFA pattern
// must put green, red in the first row and blue, green in the second, as the
// libraries expect. A DNG's WhiteLevel states the range of its words
// (raw_frame.h); its BlackLevel and WhiteLevel are kept with the picture.
#pragma once

#include <optional>

#include "frontend/pictures/raw_frame.h"

namespace sensor::frontend {

// The TIFF or DNG picture in `file`, read by libtiff from memory, its samples
// read as `request` says.
std::optional<Picture> ReadTiff(FileBytes file, const PictureRequest& request, LoadProblem& problem);

}  // namespace sensor::frontend
