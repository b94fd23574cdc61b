// Binary greymaps (PGM, "P5"), read strictly: the header is "P5", the width,
// the height and the largest value (1 to 65535) as decimal numbers separated
// by white space or comments ("#" to the end of the line), then exactly one
// white-space character and the samples, one byte each up to a largest value
// of 255, else two bytes, high byte first; the file ends with the last sample.
// Each sample is a raw Bayer sample of the picture; with -TopBits, the top
// bits of a word of the largest value's bit length (16 for 65535).
#pragma once

#include <optional>

#include "frontend/pictures/raw_frame.h"

namespace sensor::frontend {

// The greymap in `file`, its samples read as `request` says.
std::optional<Picture> ReadPgm(FileBytes file, const PictureRequest& request, LoadProblem& problem);

}  // namespace sensor::frontend
