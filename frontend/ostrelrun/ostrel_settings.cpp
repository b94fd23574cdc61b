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

frontend::SettingTable OstrelSettingRows(OstrelSettings& s) {
  using frontend::SwitchSetting;
  using frontend::ValueSetting;
  return {
      ValueSetting("BayerOutliers", [&s](const char* v) { s.SetBayerOutliers(v); }),
      ValueSetting("SensorROI(%)", [&s](const char* v) { s.SetSensorRoi(v); }),
      ValueSetting("BitsUsage", [&s](const char* v) { s.SetBitsUsage(v); }),
      SwitchSetting("BayerMode", [&s] { s.Params.BayerMode = true; },
                    [&s](const char* v) { s.SetBayerModeNumber(v); }),
      SwitchSetting("ColorMode", [&s] { s.Params.BayerMode = false; }),
  };
}

frontend::SettingTable OstrelSettingTable(OstrelSettings& s) {
  return frontend::StandardSettings(OstrelSettingRows(s));
}

frontend::OptionTable OstrelOptions(OstrelSettings& s) {
  return frontend::OptionsOf(OstrelSettingTable(s));
}

frontend::SettingsKeyTable OstrelSettingsKeys(OstrelSettings& s) {
  return frontend::OwnKeysOf(OstrelSettingRows(s));
}

std::vector<frontend::SettingFact> OstrelSettingFacts(const OstrelSettings& s) {
  using frontend::NumberFact;
  using frontend::SwitchFact;
  const _PARAMS_Ostrel& p = s.Params;
  return frontend::ParameterFacts(p, {},
                                  {NumberFact("Roi", {p.RoiLeft, p.RoiTop, p.RoiRight, p.RoiBottom})});
}

}  // namespace sensor::ostrelrun
