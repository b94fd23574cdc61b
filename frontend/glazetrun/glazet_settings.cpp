#include "frontend/glazetrun/glazet_settings.h"

#include <algorithm>
#include <array>

#include "frontend/common/text_format.h"
#include "frontend/common/value_scan.h"

namespace sensor::glazetrun {

using frontend::ScanInt32s;

std::optional<std::int32_t> ColourPlaneFor(std::string_view text) {
  struct ColourName {
    std::string_view Name;
    std::int32_t Plane;
  };
  // The two-letter names come first, so that "G1" is not taken for "G".
  constexpr std::array<ColourName, 5> kNames = {{
      {"G1", SensorDefectDetectionClass::COLOUR_G1},
      {"G2", SensorDefectDetectionClass::COLOUR_G2},
      {"R", SensorDefectDetectionClass::COLOUR_R},
      {"G", SensorDefectDetectionClass::COLOUR_G},
      {"B", SensorDefectDetectionClass::COLOUR_B},
  }};
  for (const ColourName& colour : kNames) {
    if (frontend::StartsWithNoCase(text, colour.Name)) return colour.Plane;
  }
  return std::nullopt;
}

void GlazetSettings::SetClusterSize(const char* value) {
  frontend::ScanInt32sInto(value, Params.ClusterSize);
}

void GlazetSettings::SetHammerSize(const char* value) {
  if (const auto v = ScanInt32s<2>(value)) {
    Params.HammerSmall = std::min((*v)[0], (*v)[1]);
    Params.HammerLarge = std::max((*v)[0], (*v)[1]);
  }
}

void GlazetSettings::SetBayerOutliers(const char* value) {
  frontend::ScanInt32sInto(value, Params.OutlierLeft, Params.OutlierTop, Params.OutlierRight,
                           Params.OutlierBottom);
}

void GlazetSettings::SetRoi(const char* value) {
  frontend::ScanDoublesInto(value, Params.RoiLeft, Params.RoiTop, Params.RoiRight, Params.RoiBottom);
}

void GlazetSettings::SetBitsUsage(const char* value) {
  frontend::ScanInt32sInto(value, Params.SensorBpp, Params.TestBpp);
}

void GlazetSettings::SetDefectThreshold(const char* value) {
  frontend::ScanDoublesInto(value, Params.DefectThreshold);
}

void GlazetSettings::SetColourPlane(const char* value) {
  if (value == nullptr) return;
  if (const auto plane = ColourPlaneFor(value)) Params.ColorPlane = *plane;
}

void GlazetSettings::SetLocalSearchNumber(const char* value) {
  frontend::ScanSwitchInto(value, Params.LocalSearch);
}

void GlazetSettings::SetBayerModeNumber(const char* value) {
  frontend::ScanSwitchInto(value, Params.BayerMode);
}

frontend::SettingTable GlazetSettingRows(GlazetSettings& s) {
  using frontend::SwitchSetting;
  using frontend::ValueSetting;
  return {
      ValueSetting("ClusterSize", [&s](const char* v) { s.SetClusterSize(v); }),
      ValueSetting("HammerSize", [&s](const char* v) { s.SetHammerSize(v); }),
      ValueSetting("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueSetting("ROI(%)", [&s](const char* v) { s.SetRoi(v); }),
      ValueSetting("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      ValueSetting("DefectThreshold(%)", [&s](const char* v) { s.SetDefectThreshold(v); }),
      // Tested before "Color": -ColorMode is the switch, -Color takes a colour.
      SwitchSetting("ColorMode", [&s] { s.Params.BayerMode = false; }),
      ValueSetting("Color", [&s](const char* v) { s.SetColourPlane(v); }),
      SwitchSetting("LocalSearch", [&s] { s.Params.LocalSearch = true; },
                    [&s](const char* v) { s.SetLocalSearchNumber(v); }),
      SwitchSetting("GlobalSearch", [&s] { s.Params.LocalSearch = false; }),
      SwitchSetting("BayerMode", [&s] { s.Params.BayerMode = true; },
                    [&s](const char* v) { s.SetBayerModeNumber(v); }),
  };
}

frontend::SettingTable GlazetSettingTable(GlazetSettings& s) {
  return frontend::StandardSettings(GlazetSettingRows(s));
}

frontend::OptionTable GlazetOptions(GlazetSettings& s) {
  return frontend::OptionsOf(GlazetSettingTable(s));
}

frontend::SettingsKeyTable GlazetSettingsKeys(GlazetSettings& s) {
  return frontend::OwnKeysOf(GlazetSettingRows(s));
}

std::vector<frontend::SettingFact> GlazetSettingFacts(const GlazetSettings& s) {
  using frontend::NumberFact;
  using frontend::SwitchFact;
  const _PARAMS_Glazet& p = s.Params;
  return frontend::ParameterFacts(p, {NumberFact("ColorPlane", {double(p.ColorPlane)})},
                                  {NumberFact("Roi", {p.RoiLeft, p.RoiTop, p.RoiRight, p.RoiBottom}),
                                   SwitchFact("LocalSearch", p.LocalSearch),
                                   NumberFact("HammerSmall", {double(p.HammerSmall)}),
                                   NumberFact("HammerLarge", {double(p.HammerLarge)}),
                                   NumberFact("DefectThreshold", {p.DefectThreshold}),
                                   NumberFact("ClusterSize", {double(p.ClusterSize)})});
}

}  // namespace sensor::glazetrun
