// The review image of a run: the picture as a person looks at it, at most
// 2048 pixels on its longer side, with the scan area, the region of interest
// and the centre zone outlined, every finding marked so that a single pixel
// stays visible at any scale (a ring around a pixel, a box around a cluster or
// blemish), coloured by class, a title line (program, picture, verdict,
// failing values) and a legend.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/frontend_interface.h"
#include "frontend/products/review/picture_shrink.h"
#include "frontend/products/review/review_canvas.h"

namespace sensor::review {

enum class FindingClass { Pixel, Cluster, Blemish };

struct ReviewMark {
  FindingClass Class = FindingClass::Pixel;
  Rect Area;  // in picture pixels; a single pixel for a pixel finding
};

enum class ReviewVerdict { Pass, Fail, Error };

// What the review shows besides the picture; every rectangle is in picture
// pixels, inclusive, and is clipped to the picture.
struct ReviewInput {
  std::string Program;
  std::string Picture;  // the picture's name as given
  ReviewVerdict Verdict = ReviewVerdict::Pass;
  std::string VerdictText;  // "PASS", "FAIL", or the result's text
  std::string FailingValues;  // as the status message gives them
  std::optional<Rect> ScanArea;
  std::optional<Rect> RegionOfInterest;
  std::optional<Rect> CentreZone;
  std::vector<ReviewMark> Marks;
};

// Where things go on the review image of a width x height picture.
struct ReviewLayout {
  std::int32_t CanvasWidth = 0;
  std::int32_t CanvasHeight = 0;
  std::int32_t SourceWidth = 0;  // the picture's own size
  std::int32_t SourceHeight = 0;
  Rect Picture;        // where the picture is drawn on the canvas
  std::int32_t TextScale = 1;
  std::int32_t TitleTop = 0;
  std::int32_t LegendTop = 0;

  // The canvas rectangle that picture pixels `area` cover (at least one pixel).
  Rect ToCanvas(const Rect& area) const;
};

inline constexpr std::int32_t kMaxReviewSide = 2048;

// A picture is shrunk to fit, or enlarged by a whole factor while its longer
// side stays at most 1024 pixels, so that small pictures are not tiny; the
// whole image, title and legend included, is at most kMaxReviewSide pixels on
// either side.
ReviewLayout PlaceReview(std::int32_t width, std::int32_t height);

// The review's colours, for the legend and for anyone who looks for the marks.
Rgb ClassColour(FindingClass findingClass);
inline constexpr Rgb kScanAreaColour{255, 230, 0};
inline constexpr Rgb kRegionColour{64, 224, 64};
inline constexpr Rgb kCentreZoneColour{0, 200, 255};

// The picture placed and shrunk for its review image, taken when it is
// loaded, before a library paints it.
struct ReviewBackdrop {
  ReviewLayout Layout;
  Canvas Picture;  // the layout's picture size
};

ReviewBackdrop MakeBackdrop(const ImageBinding& picture, const PictureReading& reading);

// The whole review image: the backdrop with the outlines, marks, title and
// legend of `input`.
Canvas DrawReview(const ReviewBackdrop& backdrop, const ReviewInput& input);

}  // namespace sensor::review
