// -ReviewImage FILE.png, every program's: the review image of the run
// (review/review_image.h) drawn from its findings over the picture as it was
// loaded, before a library painted it.
#pragma once

#include <optional>

#include "frontend/common/bitmap_loader.h"
#include "frontend/common/raw_frame.h"
#include "frontend/common/run_products.h"
#include "frontend/review/review_image.h"

namespace sensor::frontend {

// The picture placed and shrunk for the review, read as the run reads it;
// nothing when it cannot be bound.
std::optional<review::ReviewBackdrop> ReviewBackdropOf(LoadedBitmap& picture, const PictureMode& mode);

// The title, zones and marks of the run: every Waferon candidate as a pixel and
// every counted cluster's peak as a cluster; every counted Glazet blemish by
// its bounds; the scan area, region of interest and centre zone.
review::ReviewInput ReviewInputOf(const RunFindings& run);

RunProduct ReviewImageProduct();

}  // namespace sensor::frontend
