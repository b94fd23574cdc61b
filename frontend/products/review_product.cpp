#include "frontend/products/review_product.h"

#include <utility>

#include "common/frontend_interface.h"
#include "frontend/products/png_file.h"
#include "frontend/products/review/review_image.h"
#include "sensordefect/ResultCodes.h"

namespace sensor::frontend {
namespace {

using SensorDefectDetectionClass::E_FAIL;
using SensorDefectDetectionClass::S_OK;

Rect RectOf(const FindingBox& box) { return Rect{box.Left, box.Top, box.Right, box.Bottom}; }

Rect PixelAt(std::int32_t x, std::int32_t y) { return Rect{x, y, x, y}; }

std::optional<Rect> Zone(const StationFindings& run, const char* name) {
  const NamedArea* area = FindArea(run, name);
  if (area == nullptr || area->Box.Empty()) return std::nullopt;
  return RectOf(area->Box);
}

review::ReviewInput ReviewInputOf(const StationFindings& run) {
  review::ReviewInput input;
  input.Program = run.Program;
  if (run.Paths.Picture) {
    const std::string& path = *run.Paths.Picture;
    input.Picture = path.substr(path.rfind('/') + 1);  // the whole path when it has no folder
  }
  bool valuesFailed = false;
  if (run.Judged) {
    for (const JudgedValue& v : run.Values) valuesFailed = valuesFailed || v.Fails;
  }
  if (run.Code == S_OK) {
    input.Verdict = review::ReviewVerdict::Pass;
    input.VerdictText = "PASS";
  } else if (run.Code == E_FAIL && valuesFailed) {
    input.Verdict = review::ReviewVerdict::Fail;
    input.VerdictText = "FAIL";
  } else {
    input.Verdict = review::ReviewVerdict::Error;
    input.VerdictText = "ERROR";
  }
  input.FailingValues = run.Code == S_OK ? std::string() : run.Message;

  input.ScanArea = Zone(run, kScanArea);
  input.RegionOfInterest = Zone(run, kRegionOfInterest);
  input.CentreZone = Zone(run, kCentreZone);
  using review::FindingClass;
  if (run.PixelDefects) {
    for (const PixelFinding& p : run.PixelDefects->Candidates) {
      input.Marks.push_back({FindingClass::Pixel, PixelAt(p.X, p.Y)});
    }
    for (const CountedCluster& c : run.PixelDefects->Clusters) {
      input.Marks.push_back({FindingClass::Cluster, PixelAt(c.Peak.X, c.Peak.Y)});
    }
  }
  if (run.Blemishes) {
    for (const CountedBlemish& b : run.Blemishes->Blemishes) {
      input.Marks.push_back({FindingClass::Blemish, RectOf(b.Bounds)});
    }
  }
  return input;
}

}  // namespace

std::shared_ptr<const review::ReviewBackdrop> ReviewBackdropOf(Picture& picture, const PictureRequest& mode) {
  ImageBinding binding;
  if (picture.Header.size() < 40 ||
      BindBitmap(picture.Header.data(), picture.Pixels.data(), binding) != S_OK) {
    return nullptr;
  }
  return std::make_shared<const review::ReviewBackdrop>(
      review::MakeBackdrop(binding, review::PictureReading{mode.BayerMode, mode.SensorBpp}));
}

RunProduct ReviewImageProduct() {
  RunProduct product;
  product.Option = "ReviewImage";
  product.Path = &ProductPaths::ReviewImage;
  product.Extensions = {".png"};
  product.Make = [](const StationFindings& run, const std::string&, std::string& problem) -> std::optional<std::string> {
    if (!run.ReviewBackdrop) {
      problem = "no picture to show was loaded";
      return std::nullopt;
    }
    review::Canvas canvas = review::DrawReview(*run.ReviewBackdrop, ReviewInputOf(run));
    PngPicture picture;
    picture.Width = static_cast<std::uint32_t>(canvas.Width());
    picture.Height = static_cast<std::uint32_t>(canvas.Height());
    picture.Colour = true;
    picture.Speed = PngSpeed::Fast;  // looked at, not archived
    picture.Rows = std::move(canvas).TakePixels();
    return EncodePng(picture, problem);
  };
  return product;
}

}  // namespace sensor::frontend
