#include "frontend/ostrelrun/ostrel_settings.h"

#include "frontend/common/value_scan.h"

namespace sensor::ostrelrun {

void OstrelSettings::SetBayerOutliers(const char* value) {
  frontend::ScanInt32sInto(value, Params.OutlierLeft, Params.OutlierTop, Params.OutlierRight,
                           Params.OutlierBottom);
}

void OstrelSettings::SetSensorRoi(const char* value) {
  frontend::ScanDoublesInto(value, Params.RoiLeft, Params.RoiTop, Params.RoiRight, Params.RoiBottom);
}

void OstrelSettings::SetBitsUsage(const char* value) {
  frontend::ScanInt32sInto(value, Params.SensorBpp, Params.TestBpp);
}

void OstrelSettings::SetBayerModeNumber(const char* value) {
  frontend::ScanSwitchInto(value, Params.BayerMode);
}

frontend::OptionTable OstrelOptions(OstrelSettings& s) {
  using frontend::SwitchOption;
  using frontend::ValueOption;
  return frontend::StandardOptions({
      ValueOption("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueOption("SensorROI(%)", [&s](const char* v) { s.SetSensorRoi(v); }),
      ValueOption("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      SwitchOption("BayerMode", [&s] { s.Params.BayerMode = true; }),
      SwitchOption("ColorMode", [&s] { s.Params.BayerMode = false; }),
  });
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
