// Glazetrun's own settings: the package library's parameter record, with the
// options and settings-file keys that set it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "frontend/products/run_findings.h"
#include "frontend/station/setting_table.h"
#include "sensordefect/Glazet.h"

namespace sensor::glazetrun {

using SensorDefectDetectionClass::_PARAMS_Glazet;

// The plane that a colour text names: the text is compared without regard to
// case with "G1" and "G2" over two characters (3, 4), then with "R", "G", "B"
// over one (0, 1, 2); the first match decides, so "g2" gives 4, "Gx" 1 and
// "Red" 0. Nothing when none matches.
std::optional<std::int32_t> ColourPlaneFor(std::string_view text);

struct GlazetSettings {
  // Every field starts at 0: colour mode, plane R, global search, both hammer
  // sizes 0, unless an option or the settings file says otherwise.
  _PARAMS_Glazet Params{};

  // Setters shared by the options and the settings keys; each changes nothing
  // unless its whole value scans.
  void SetClusterSize(const char* value);
  // Two sizes in either order: the smaller is the tested window, the larger the
  // reference window.
  void SetHammerSize(const char* value);
  void SetBayerOutliers(const char* value);
  void SetRoi(const char* value);
  void SetBitsUsage(const char* value);
  void SetDefectThreshold(const char* value);
  void SetColourPlane(const char* value);
  void SetLocalSearchNumber(const char* value);
  void SetBayerModeNumber(const char* value);
};

// The program's own settings, one row each, in matching order ("ColorMode"
// before "Color").
frontend::SettingTable GlazetSettingRows(GlazetSettings& settings);
// The whole table: the standard rows around the program's own.
frontend::SettingTable GlazetSettingTable(GlazetSettings& settings);
// The parameter record handed to Execute, field by field.
std::vector<frontend::SettingFact> GlazetSettingFacts(const GlazetSettings& settings);

// The options and the program's own settings-file keys made from the rows.
frontend::OptionTable GlazetOptions(GlazetSettings& settings);
frontend::SettingsKeyTable GlazetSettingsKeys(GlazetSettings& settings);

}  // namespace sensor::glazetrun
