// Ostrelrun's own settings: the level library's parameter record, with the
// options and settings-file keys that set it.
#pragma once

#include <vector>

#include "frontend/products/run_findings.h"
#include "frontend/station/setting_table.h"
#include "sensordefect/Ostrel.h"

namespace sensor::ostrelrun {

using SensorDefectDetectionClass::_PARAMS_Ostrel;

struct OstrelSettings {
  // Every field starts at 0: colour mode, bit depths 0, no margins, whatever
  // the usage text says about defaults.
  _PARAMS_Ostrel Params{};

  // Setters shared by the options and the settings keys; each changes nothing
  // unless its whole value scans.
  void SetBayerOutliers(const char* value);
  // The region fractions are carried and echoed; the library measures over the
  // window that the margins leave.
  void SetSensorRoi(const char* value);
  void SetBitsUsage(const char* value);
  void SetBayerModeNumber(const char* value);
};

// The program's own settings, one row each, in matching order. The usage
// text's "-bayer|color" and "-ROI(%)" are no option names: such arguments are
// ignored.
frontend::SettingTable OstrelSettingRows(OstrelSettings& settings);
// The whole table: the standard rows around the program's own.
frontend::SettingTable OstrelSettingTable(OstrelSettings& settings);
// The parameter record handed to Execute, field by field.
std::vector<frontend::SettingFact> OstrelSettingFacts(const OstrelSettings& settings);

// The options and the program's own settings-file keys made from the rows.
frontend::OptionTable OstrelOptions(OstrelSettings& settings);
frontend::SettingsKeyTable OstrelSettingsKeys(OstrelSettings& settings);

}  // namespace sensor::ostrelrun
