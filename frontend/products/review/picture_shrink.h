// The picture of a run as a person looks at it, at the size its review image
// shows it: every output pixel the mean of the picture cells it covers (or,
// when the picture is enlarged, the one cell it lies in).
#pragma once

#include <cstdint>

#include "common/frontend_interface.h"
#include "frontend/products/review/review_canvas.h"

namespace sensor::review {

// How the pixels are read: colour pictures as their blue, green and red
// bytes; Bayer pictures as their raw samples at the sensor depth (the first
// byte the sample's high 8 bits, the second its remaining low bits), shown as
// grey scaled so that 2^depth - 1 is white.
struct PictureReading {
  bool Bayer = false;
  std::int32_t SensorBpp = 8;  // 8, 10 or 12; any other value reads the first byte alone
};

// The picture shrunk or enlarged to width x height (both at least 1). A Bayer
// picture shrunk is averaged over whole 2 x 2 sites, so that its colour
// pattern makes no stripes. The rows are shrunk in parts on the analyses'
// threads (analysis/common/parallel_rows.h). Pixels of fewer bytes than the
// reading needs (a colour pixel's three, a sample's two) leave the picture
// black.
Canvas ShrinkPicture(const ImageBinding& picture, const PictureReading& reading, std::int32_t width,
                     std::int32_t height);

}  // namespace sensor::review
