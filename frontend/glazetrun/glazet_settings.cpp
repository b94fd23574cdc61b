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

frontend::OptionTable GlazetOptions(GlazetSettings& s) {
  using frontend::SwitchOption;
  using frontend::ValueOption;
  return frontend::StandardOptions({
      ValueOption("ClusterSize", [&s](const char* v) { s.SetClusterSize(v); }),
      ValueOption("HammerSize", [&s](const char* v) { s.SetHammerSize(v); }),
      ValueOption("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueOption("ROI(%)", [&s](const char* v) { s.SetRoi(v); }),
      ValueOption("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      ValueOption("DefectThreshold(%)", [&s](const char* v) { s.SetDefectThreshold(v); }),
      // Tested before "Color": -ColorMode is the switch, -Color takes a colour.
      SwitchOption("ColorMode", [&s] { s.Params.BayerMode = false; }),
      ValueOption("Color", [&s](const char* v) { s.SetColourPlane(v); }),
      SwitchOption("LocalSearch", [&s] { s.Params.LocalSearch = true; }),
      SwitchOption("GlobalSearch", [&s] { s.Params.LocalSearch = false; }),
      SwitchOption("BayerMode", [&s] { s.Params.BayerMode = true; }),
  });
}

frontend::SettingsKeyTable GlazetSettingsKeys(GlazetSettings& s) {
  return {
      {"ClusterSize=", [&s](const char* v) { s.SetClusterSize(v); }},
      {"HammerSize=", [&s](const char* v) { s.SetHammerSize(v); }},
      {"BayerOutliers=", [&s](const char* v) { s.SetBayerOutliers(v); }},
      {"ROI(%)=", [&s](const char* v) { s.SetRoi(v); }},
      {"BitsUsage=", [&s](const char* v) { s.SetBitsUsage(v); }},
      {"DefectThreshold(%)=", [&s](const char* v) { s.SetDefectThreshold(v); }},
      {"LocalSearch=", [&s](const char* v) { s.SetLocalSearchNumber(v); }},
      {"BayerMode=", [&s](const char* v) { s.SetBayerModeNumber(v); }},
      {"Color=", [&s](const char* v) { s.SetColourPlane(v); }},
  };
}

}  // namespace sensor::glazetrun
