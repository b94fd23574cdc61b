// The chip library's parameter record of the benchmarks: the library's
// defaults with 12/12-bit depths, outliers of 4, the centre zone in the middle
// half, and thresholds above the generated pictures' noise but far below the
// defects bench_images plants.
#pragma once

#include <cstdint>

#include "sensordefect/Waferon.h"

namespace sensor::bench {

inline SensorDefectDetectionClass::_PARAMS_Waferon WaferonBenchParams(bool bayer, bool local, std::int32_t hammer) {
  SensorDefectDetectionClass::Waferon probe;
  probe.Open(0);
  SensorDefectDetectionClass::_PARAMS_Waferon p;
  probe.get_ParameterSet(p);
  probe.Close();
  p.BayerMode = bayer ? 1 : 0;
  p.SensorBpp = 12;
  p.TestBpp = 12;
  p.OutlierLeft = p.OutlierTop = p.OutlierRight = p.OutlierBottom = 4;
  p.CenterLeft = p.CenterTop = 0.25;
  p.CenterRight = p.CenterBottom = 0.75;
  p.LocalSearch = local ? 1 : 0;
  p.HammerSize = hammer;
  // Above the noise (Bayer +/- 40 of 4095, colour +/- 6 of 255), far below the
  // planted defects.
  const double threshold = bayer ? 120.0 : 40.0;
  for (int c = 0; c < 5; ++c) {
    p.CenterClusterThreshold[c] = p.SideClusterThreshold[c] = threshold;
    p.CenterPixelThreshold[c] = p.SidePixelThreshold[c] = threshold;
  }
  return p;
}

}  // namespace sensor::bench
