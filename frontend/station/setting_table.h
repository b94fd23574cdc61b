// A program's settings table: each setting written once, as one row that says
// how the command line ("-Name", a switch or an option with a value) and the
// settings file ("Name=value") reach it. The program's option table and its
// settings-file keys are both made from the rows, in row order, so that the two
// cannot drift apart.
//
// A table is StandardSettings(own rows): the five paths, the program's own
// rows, "slave" and "debug", then the rows every program gained later
// (OutputFolder, RawLayout); a program's products' rows follow, then
// WithLaterSettings' rows. A new row shared by all programs goes at the end of
// WithLaterSettings; a new row of a program after its existing ones; no
// existing name may be a prefix of the new name.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frontend/products/run_products.h"
#include "frontend/station/command_line.h"
#include "frontend/station/run_options.h"

namespace sensor::frontend {

// Sets a setting from a text (null for a switch). A value that does not scan
// changes nothing. A program's own rows set its settings record; the shared
// rows set the common options.
using SettingSetter = std::function<void(CommonOptions& options, const char* value)>;

struct SettingRow {
  std::string Name;
  enum class Option { None, Switch, Value };
  Option OnCommandLine = Option::None;  // "-Name", without or with its value
  SettingSetter OptionSetter;           // value null for a switch
  SettingSetter KeySetter;              // "Name=value"; none: no settings key
  // A valued option applied, with a null value, also when no value follows
  // (OptionSpec::AppliedWithoutValue).
  bool AppliedWithoutValue = false;
};

using SettingTable = std::vector<SettingRow>;

// "-Name value" and "Name=value", through one setter.
SettingRow ValueSetting(std::string name, std::function<void(const char* value)> set);
// "-Name", a switch; with `key`, also "Name=value" (a number, for example).
SettingRow SwitchSetting(std::string name, std::function<void()> on,
                         std::function<void(const char* value)> key = {});
// "Name=value" of the settings file only.
SettingRow KeySetting(std::string name, std::function<void(const char* value)> set);
// A command-line option without a settings key (the paths, "slave", "debug").
SettingRow OptionOnly(OptionSpec option);

// A program's whole table in matching order: the five paths (OutputFile,
// TestSettings, TestLimits, LogFile, BMPFileIn), the program's own rows,
// "slave" and "debug", then OutputFolder and RawLayout (option and key each).
SettingTable StandardSettings(SettingTable own);

// The program's settings table with one command-line option per product
// appended, in product order, after every existing row (no settings key). An
// option given without a value records an empty path, which start-up refuses.
SettingTable WithProductSettings(SettingTable rows, const ProductTable& products);

// `rows` (a whole table with its products' rows) and then the rows every
// program gained after those: TopBits (option and key).
SettingTable WithLaterSettings(SettingTable rows);

// The option table of the rows: one option per row that has one, in row order.
OptionTable OptionsOf(const SettingTable& rows);

// The settings-file keys of the rows, "Name=", in row order; shared rows set
// `options`, which must outlive the keys.
SettingsKeyTable KeysOf(const SettingTable& rows, CommonOptions& options);

// The keys of a program's own rows alone (those set the program's settings
// record only), for readers of a settings file without a run's options.
SettingsKeyTable OwnKeysOf(const SettingTable& ownRows);

}  // namespace sensor::frontend
