#include "frontend/waferonrun/waferon_settings.h"

#include "frontend/common/value_scan.h"

namespace sensor::waferonrun {

using frontend::ScanDoubles;
using frontend::ScanInt32s;

_PARAMS_Waferon WaferonSettings::StartParams() {
  _PARAMS_Waferon params{};
  params.ClusterSize = 2;
  params.HammerSize = 11;
  params.CountPixels = 1;
  params.FindClusters = 1;
  return params;
}

void WaferonSettings::SetClusterSize(const char* value) {
  frontend::ScanInt32sInto(value, Params.ClusterSize);
}

void WaferonSettings::SetHammerSize(const char* value) {
  frontend::ScanInt32sInto(value, Params.HammerSize);
}

void WaferonSettings::SetBayerOutliers(const char* value) {
  frontend::ScanInt32sInto(value, Params.OutlierLeft, Params.OutlierTop, Params.OutlierRight,
                           Params.OutlierBottom);
}

void WaferonSettings::SetCenterRoi(const char* value) {
  frontend::ScanDoublesInto(value, Params.CenterLeft, Params.CenterTop, Params.CenterRight,
                            Params.CenterBottom);
}

void WaferonSettings::SetBitsUsage(const char* value) {
  frontend::ScanInt32sInto(value, Params.SensorBpp, Params.TestBpp);
}

namespace {

bool SetThresholdPair(const char* value, double (&centre)[5], double (&side)[5]) {
  const auto v = ScanDoubles<10>(value);
  if (!v) return false;
  for (int i = 0; i < 5; ++i) {
    centre[i] = (*v)[static_cast<std::size_t>(i)];
    side[i] = (*v)[static_cast<std::size_t>(i) + 5];
  }
  return true;
}

}  // namespace

void WaferonSettings::SetClusterThresholds(const char* value, bool percent) {
  if (SetThresholdPair(value, Params.CenterClusterThreshold, Params.SideClusterThreshold)) {
    Params.ThresholdPercent = percent ? 1 : 0;
  }
}

void WaferonSettings::SetPixelThresholds(const char* value, bool percent) {
  if (SetThresholdPair(value, Params.CenterPixelThreshold, Params.SidePixelThreshold)) {
    Params.ThresholdPercent = percent ? 1 : 0;
  }
}

void WaferonSettings::SetLocalSearchNumber(const char* value) {
  frontend::ScanSwitchInto(value, Params.LocalSearch);
}

void WaferonSettings::SetBayerModeNumber(const char* value) {
  frontend::ScanSwitchInto(value, Params.BayerMode);
}

void WaferonSettings::SetColorUnderTest(const char* value) {
  if (const auto v = ScanInt32s<5>(value)) ColorUnderTest = *v;
}

frontend::OptionTable WaferonOptions(WaferonSettings& s) {
  using frontend::SwitchOption;
  using frontend::ValueOption;
  return frontend::StandardOptions({
      ValueOption("ClusterSize", [&s](const char* v) { s.SetClusterSize(v); }),
      ValueOption("HammerSize", [&s](const char* v) { s.SetHammerSize(v); }),
      ValueOption("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueOption("CenterROI(%)", [&s](const char* v) { s.SetCenterRoi(v); }),
      ValueOption("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      ValueOption("ClusterThreshold(%)", [&s](const char* v) { s.SetClusterThresholds(v, true); }),
      ValueOption("ClusterThreshold(-)", [&s](const char* v) { s.SetClusterThresholds(v, false); }),
      ValueOption("PixelThreshold(%)", [&s](const char* v) { s.SetPixelThresholds(v, true); }),
      ValueOption("PixelThreshold(-)", [&s](const char* v) { s.SetPixelThresholds(v, false); }),
      SwitchOption("LocalSearch", [&s] { s.Params.LocalSearch = 1; }),
      SwitchOption("GlobalSearch", [&s] { s.Params.LocalSearch = 0; }),
      SwitchOption("BayerMode", [&s] { s.Params.BayerMode = 1; }),
      SwitchOption("ColorMode", [&s] { s.Params.BayerMode = 0; }),
  });
}

frontend::SettingsKeyTable WaferonSettingsKeys(WaferonSettings& s) {
  return {
      {"ClusterSize=", [&s](const char* v) { s.SetClusterSize(v); }},
      {"HammerSize=", [&s](const char* v) { s.SetHammerSize(v); }},
      {"BayerOutliers=", [&s](const char* v) { s.SetBayerOutliers(v); }},
      {"CenterROI(%)=", [&s](const char* v) { s.SetCenterRoi(v); }},
      {"BitsUsage=", [&s](const char* v) { s.SetBitsUsage(v); }},
      {"ClusterThreshold(%)=", [&s](const char* v) { s.SetClusterThresholds(v, true); }},
      {"ClusterThreshold(-)=", [&s](const char* v) { s.SetClusterThresholds(v, false); }},
      {"PixelThreshold(%)=", [&s](const char* v) { s.SetPixelThresholds(v, true); }},
      {"PixelThreshold(-)=", [&s](const char* v) { s.SetPixelThresholds(v, false); }},
      {"LocalSearch=", [&s](const char* v) { s.SetLocalSearchNumber(v); }},
      {"BayerMode=", [&s](const char* v) { s.SetBayerModeNumber(v); }},
      {"ColorUnderTest=", [&s](const char* v) { s.SetColorUnderTest(v); }},
  };
}

}  // namespace sensor::waferonrun
