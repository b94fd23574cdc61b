// -ReviewImage FILE.png, every program's: the review image of the run
// (review/review_image.h) drawn from its findings over the picture as it was
// loaded, before a library painted it.
#pragma once

#include <memory>

#include "frontend/pictures/picture.h"
#include "frontend/products/run_products.h"

namespace sensor::frontend {

// The picture placed and shrunk for the review, read as the run reads it;
// null when it cannot be bound.
std::shared_ptr<const review::ReviewBackdrop> ReviewBackdropOf(Picture& picture, const PictureRequest& mode);

// The review image drawn from the run's findings: every Waferon candidate as a
// pixel and every counted cluster's peak as a cluster; every counted Glazet
// blemish by its bounds; the scan area, region of interest and centre zone;
// the verdict and failing values in the title.
RunProduct ReviewImageProduct();

}  // namespace sensor::frontend
