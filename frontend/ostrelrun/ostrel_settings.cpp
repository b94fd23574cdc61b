#include "frontend/ostrelrun/ostrel_settings.h"

#include "frontend/common/value_scan.h"

namespace sensor::ostrelrun {

using frontend::ScanDoubles;
using frontend::ScanInt32s;

void OstrelSettings::SetBayerOutliers(const char* value) {
  if (const auto v = ScanInt32s<4>(value)) {
    Params.OutlierLeft = (*v)[0];
    Params.OutlierTop = (*v)[1];
    Params.OutlierRight = (*v)[2];
    Params.OutlierBottom = (*v)[3];
  }
}

void OstrelSettings::SetSensorRoi(const char* value) {
  if (const auto v = ScanDoubles<4>(value)) {
    Params.RoiLeft = (*v)[0];
    Params.RoiTop = (*v)[1];
    Params.RoiRight = (*v)[2];
    Params.RoiBottom = (*v)[3];
  }
}

void OstrelSettings::SetBitsUsage(const char* value) {
  if (const auto v = ScanInt32s<2>(value)) {
    Params.SensorBpp = (*v)[0];
    Params.TestBpp = (*v)[1];
  }
}

void OstrelSettings::SetBayerModeNumber(const char* value) {
  if (const auto v = ScanInt32s<1>(value)) Params.BayerMode = (*v)[0] != 0;
}

frontend::OptionTable OstrelOptions(OstrelSettings& s) {
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
      ValueOption("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueOption("SensorROI(%)", [&s](const char* v) { s.SetSensorRoi(v); }),
      ValueOption("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      SwitchOption("BayerMode", [&s] { s.Params.BayerMode = true; }),
      SwitchOption("ColorMode", [&s] { s.Params.BayerMode = false; }),
      frontend::SlaveOption(),
      frontend::DebugOption(),
  };
}

frontend::SettingsKeyTable OstrelSettingsKeys(OstrelSettings& s) {
  return {
      {"BayerOutliers=", [&s](const char* v) { s.SetBayerOutliers(v); }},
      {"SensorROI(%)=", [&s](const char* v) { s.SetSensorRoi(v); }},
      {"BitsUsage=", [&s](const char* v) { s.SetBitsUsage(v); }},
      {"BayerMode=", [&s](const char* v) { s.SetBayerModeNumber(v); }},
  };
}

}  // namespace sensor::ostrelrun
