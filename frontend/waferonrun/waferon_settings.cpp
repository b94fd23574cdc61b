#include "frontend/waferonrun/waferon_settings.h"

#include <iterator>

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

frontend::SettingTable WaferonSettingRows(WaferonSettings& s) {
  using frontend::KeySetting;
  using frontend::SwitchSetting;
  using frontend::ValueSetting;
  return {
      ValueSetting("ClusterSize", [&s](const char* v) { s.SetClusterSize(v); }),
      ValueSetting("HammerSize", [&s](const char* v) { s.SetHammerSize(v); }),
      ValueSetting("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueSetting("CenterROI(%)", [&s](const char* v) { s.SetCenterRoi(v); }),
      ValueSetting("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      ValueSetting("ClusterThreshold(%)", [&s](const char* v) { s.SetClusterThresholds(v, true); }),
      ValueSetting("ClusterThreshold(-)", [&s](const char* v) { s.SetClusterThresholds(v, false); }),
      ValueSetting("PixelThreshold(%)", [&s](const char* v) { s.SetPixelThresholds(v, true); }),
      ValueSetting("PixelThreshold(-)", [&s](const char* v) { s.SetPixelThresholds(v, false); }),
      SwitchSetting("LocalSearch", [&s] { s.Params.LocalSearch = 1; },
                    [&s](const char* v) { s.SetLocalSearchNumber(v); }),
      SwitchSetting("GlobalSearch", [&s] { s.Params.LocalSearch = 0; }),
      SwitchSetting("BayerMode", [&s] { s.Params.BayerMode = 1; },
                    [&s](const char* v) { s.SetBayerModeNumber(v); }),
      SwitchSetting("ColorMode", [&s] { s.Params.BayerMode = 0; }),
      KeySetting("ColorUnderTest", [&s](const char* v) { s.SetColorUnderTest(v); }),
  };
}

frontend::SettingTable WaferonSettingTable(WaferonSettings& s) {
  return frontend::StandardSettings(WaferonSettingRows(s));
}

frontend::OptionTable WaferonOptions(WaferonSettings& s) {
  return frontend::OptionsOf(WaferonSettingTable(s));
}

frontend::SettingsKeyTable WaferonSettingsKeys(WaferonSettings& s) {
  return frontend::OwnKeysOf(WaferonSettingRows(s));
}

std::vector<frontend::SettingFact> WaferonSettingFacts(const WaferonSettings& s) {
  using frontend::NumberFact;
  using frontend::SwitchFact;
  const _PARAMS_Waferon& p = s.Params;
  auto five = [](const double (&v)[5]) { return std::vector<double>(std::begin(v), std::end(v)); };
  return frontend::ParameterFacts(p, {},
                                  {NumberFact("CenterZone", {p.CenterLeft, p.CenterTop, p.CenterRight, p.CenterBottom}),
                                   SwitchFact("LocalSearch", p.LocalSearch != 0),
                                   SwitchFact("CountPixels", p.CountPixels != 0),
                                   SwitchFact("FindClusters", p.FindClusters != 0),
                                   NumberFact("ClusterSize", {double(p.ClusterSize)}),
                                   NumberFact("HammerSize", {double(p.HammerSize)}),
                                   NumberFact("CenterClusterThreshold", five(p.CenterClusterThreshold)),
                                   NumberFact("SideClusterThreshold", five(p.SideClusterThreshold)),
                                   NumberFact("CenterPixelThreshold", five(p.CenterPixelThreshold)),
                                   NumberFact("SidePixelThreshold", five(p.SidePixelThreshold)),
                                   SwitchFact("ThresholdPercent", p.ThresholdPercent != 0),
                                   NumberFact("ColorUnderTest", std::vector<double>(s.ColorUnderTest.begin(), s.ColorUnderTest.end()))});
}

}  // namespace sensor::waferonrun
