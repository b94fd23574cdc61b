// Waferonrun's own settings: the chip library's parameter record and the five
// colour enables, with the options and settings-file keys that set them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "frontend/products/run_findings.h"
#include "frontend/station/setting_table.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferonrun {

using SensorDefectDetectionClass::_PARAMS_Waferon;

struct WaferonSettings {
  // All zero except ClusterSize 2, HammerSize 11, CountPixels 1, FindClusters 1:
  // colour mode and global search unless an option says otherwise.
  _PARAMS_Waferon Params = StartParams();
  // Enables of R, G, B, G1, G2 handed to Execute; set by the settings file only.
  std::array<std::int32_t, 5> ColorUnderTest = {1, 0, 1, 1, 1};

  static _PARAMS_Waferon StartParams();

  // Setters shared by the options and the settings keys; each changes nothing
  // unless its whole value scans.
  void SetClusterSize(const char* value);
  void SetHammerSize(const char* value);
  void SetBayerOutliers(const char* value);
  void SetCenterRoi(const char* value);
  void SetBitsUsage(const char* value);
  // Ten values: centre R, G, B, G1, G2, then side R, G, B, G1, G2. The percent
  // flag is one for both families: the last threshold applied decides it.
  void SetClusterThresholds(const char* value, bool percent);
  void SetPixelThresholds(const char* value, bool percent);
  void SetLocalSearchNumber(const char* value);
  void SetBayerModeNumber(const char* value);
  void SetColorUnderTest(const char* value);
};

// The program's own settings, one row each, in matching order.
frontend::SettingTable WaferonSettingRows(WaferonSettings& settings);
// The whole table: the standard rows around the program's own.
frontend::SettingTable WaferonSettingTable(WaferonSettings& settings);
// The parameter record handed to Execute, field by field, and the colour enables.
std::vector<frontend::SettingFact> WaferonSettingFacts(const WaferonSettings& settings);

// The options and the program's own settings-file keys made from the rows.
frontend::OptionTable WaferonOptions(WaferonSettings& settings);
frontend::SettingsKeyTable WaferonSettingsKeys(WaferonSettings& settings);

}  // namespace sensor::waferonrun
