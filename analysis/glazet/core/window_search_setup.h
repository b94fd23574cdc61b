// What one search needs from the run: the picture, the two areas, the window
// sizes, the band and the defect map it marks. A value type, filled by the run
// pipeline, so that the searches touch no module state and tests can drive them
// directly.
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/image_binding.h"
#include "common/rect.h"
#include "common/sample_rule.h"

namespace sensor::glazet {

class BandScratch;

struct WindowSearchSetup {
  ImageBinding Image;
  Rect ScanArea;           // every window stays inside it
  Rect RegionOfInterest;   // only pixels in both areas are tested
  std::int32_t SmallSize = 0;
  std::int32_t LargeSize = 0;
  double Threshold = 0.0;  // allowed deviation in percent
  // Colour searches: byte offset of the tested colour (2 red, 1 green, 0 blue).
  // Bayer searches: the tested position (0 R, 2 B, 3 G1, 4 G2; 1 matches none).
  std::int32_t Plane = 0;
  SampleRule Sample;       // Bayer searches: how a sample is read
  double Reference = 0.0;  // global searches: the level statistic of the plane
  std::uint8_t* Map = nullptr;  // Image.Width x Image.Height bytes, all 0 on entry
  // The scans' column sums (band_scratch.h), kept for the next search; none:
  // the search makes its own and frees them at its end.
  BandScratch* Scratch = nullptr;

  // The pixels that are tested (before the Bayer position is applied).
  Rect TestedArea() const { return Intersect(ScanArea, RegionOfInterest); }

  // The searches' precondition: nothing to test, or a bound picture of 3- or
  // 4-byte pixels with its map, window sizes of 0 or more, and a scan area
  // inside the picture.
  bool Ready() const {
    if (TestedArea().Empty()) return true;
    const bool insidePicture = ScanArea.Left >= 0 && ScanArea.Top >= 0 && ScanArea.Right < Image.Width &&
                               ScanArea.Bottom < Image.Height;
    return Image.Origin != nullptr && (Image.BytesPerPixel == 3 || Image.BytesPerPixel == 4) && Map != nullptr &&
           SmallSize >= 0 && LargeSize >= 0 && insidePicture;
  }

  void Mark(std::int64_t x, std::int64_t y) const {
    Map[static_cast<std::size_t>(y) * static_cast<std::size_t>(Image.Width) +
        static_cast<std::size_t>(x)] = 1;
  }
};

}  // namespace sensor::glazet
