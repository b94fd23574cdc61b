// The command line and the settings file of a test program.
//
// An argument that begins with '-' is an option when the text after the dash
// begins, case-insensitively, with an option's name; the first name of the
// table that matches is taken, and anything after it is ignored. An option with
// a value takes the next argument when that does not begin with '-' (a value
// may begin with '/', an absolute path). The settings file repeats the
// program's own settings as lines of a key and its value. Nothing here reports
// an error: what does not match or does not scan is skipped.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/station/run_options.h"

namespace sensor::frontend {

struct OptionSpec {
  std::string Name;
  bool TakesValue = false;
  // Applies the option; `value` is null for a switch. An option whose value
  // does not scan changes nothing.
  std::function<void(CommonOptions& options, const char* value)> Apply;
  // A valued option that is applied, with a null value, also when no value
  // follows it (the options added later that must not go unnoticed).
  bool AppliedWithoutValue = false;
};

using OptionTable = std::vector<OptionSpec>;

// A path option: its value is resolved into the field (absent when refused).
OptionSpec PathOption(std::string name, ResolvedPath CommonOptions::*field);
// The two switches every program has.
OptionSpec SlaveOption();
OptionSpec DebugOption();
// A switch or an option with a value (a program's option table is made from
// its settings rows, setting_table.h).
OptionSpec SwitchOption(std::string name, std::function<void()> apply);
OptionSpec ValueOption(std::string name, std::function<void(const char* value)> apply);

// The index of the first option whose name the argument (after its dash)
// begins with; -1 when the argument is no option.
int MatchOption(const char* argument, const OptionTable& table);

// Applies every recognised option of the arguments from index 1 on; with
// `debug` on afterwards, prints every argument from index 0, one per line.
void ParseCommandLine(int argc, char** argv, const OptionTable& table, CommonOptions& options);

// ParseCommandLine without the echo.
void ApplyArguments(int argc, char** argv, const OptionTable& table, CommonOptions& options);

struct SettingsKey {
  std::string Key;  // with its '=', e.g. "ClusterSize="
  // Applies the text right behind the key; a value that does not scan changes nothing.
  std::function<void(const char* value)> Apply;
};

using SettingsKeyTable = std::vector<SettingsKey>;

// Applies one settings line: the first key that the line begins with,
// case-insensitively, decides.
void ApplySettingsLine(std::string_view line, const SettingsKeyTable& keys);

// Applies every line of the settings file; false when it cannot be read.
bool ReadSettingsFile(const std::string& path, const SettingsKeyTable& keys);

}  // namespace sensor::frontend
