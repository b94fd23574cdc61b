#include "frontend/glazetrun/glazet_settings.h"

#include <algorithm>
#include <array>

#include "frontend/common/text_format.h"
#include "frontend/common/value_scan.h"

namespace sensor::glazetrun {

using frontend::ScanDoubles;
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
  if (const auto v = ScanInt32s<1>(value)) Params.ClusterSize = (*v)[0];
}

void GlazetSettings::SetHammerSize(const char* value) {
  if (const auto v = ScanInt32s<2>(value)) {
    Params.HammerSmall = std::min((*v)[0], (*v)[1]);
    Params.HammerLarge = std::max((*v)[0], (*v)[1]);
  }
}

void GlazetSettings::SetBayerOutliers(const char* value) {
  if (const auto v = ScanInt32s<4>(value)) {
    Params.OutlierLeft = (*v)[0];
    Params.OutlierTop = (*v)[1];
    Params.OutlierRight = (*v)[2];
    Params.OutlierBottom = (*v)[3];
  }
}

void GlazetSettings::SetRoi(const char* value) {
  if (const auto v = ScanDoubles<4>(value)) {
    Params.RoiLeft = (*v)[0];
    Params.RoiTop = (*v)[1];
    Params.RoiRight = (*v)[2];
    Params.RoiBottom = (*v)[3];
  }
}

void GlazetSettings::SetBitsUsage(const char* value) {
  if (const auto v = ScanInt32s<2>(value)) {
    Params.SensorBpp = (*v)[0];
    Params.TestBpp = (*v)[1];
  }
}

void GlazetSettings::SetDefectThreshold(const char* value) {
  if (const auto v = ScanDoubles<1>(value)) Params.DefectThreshold = (*v)[0];
}

void GlazetSettings::SetColourPlane(const char* value) {
  if (value == nullptr) return;
  if (const auto plane = ColourPlaneFor(value)) Params.ColorPlane = *plane;
}

void GlazetSettings::SetLocalSearchNumber(const char* value) {
  if (const auto v = ScanInt32s<1>(value)) Params.LocalSearch = (*v)[0] != 0;
}

void GlazetSettings::SetBayerModeNumber(const char* value) {
  if (const auto v = ScanInt32s<1>(value)) Params.BayerMode = (*v)[0] != 0;
}

frontend::OptionTable GlazetOptions(GlazetSettings& s) {
  using frontend::CommonOptions;
  using frontend::PathOption;
  using frontend::SwitchOption;
  using frontend::ValueOption;
  return {
      PathOption("OutputFile", &CommonOptions::OutputFile),
      PathOption("TestSettings", &CommonOptions::TestSettings),
      PathOption("TestLimits", &CommonOptions::TestLimits),
      PathOption("LogFile", &CommonOptions::LogFile),
      PathOption("BMPFileIn", &CommonOptions::BMPFileIn),
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
      frontend::SlaveOption(),
      frontend::DebugOption(),
  };
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
