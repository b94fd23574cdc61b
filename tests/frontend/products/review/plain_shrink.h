// The review picture's shrink by its plain rule: every output pixel's cells
// read one after another (frontend/products/review/picture_shrink.h says what it gives).
#pragma once

#include "frontend/products/review/picture_shrink.h"

namespace sensor::review {

Canvas ShrinkPicturePlainly(const ImageBinding& picture, const PictureReading& reading, std::int32_t width,
                            std::int32_t height);

}  // namespace sensor::review
