#include "frontend/station/setting_table.h"

#include <utility>

#include "frontend/common/value_scan.h"

namespace sensor::frontend {
namespace {

SettingSetter Ignoring(std::function<void(const char* value)> set) {
  return [set = std::move(set)](CommonOptions&, const char* value) { set(value); };
}

// The folder given on the command line; an empty value changes nothing.
void SetOutputFolderOption(CommonOptions& options, const char* value) {
  if (value[0] != '\0') options.OutputFolder = value;
}

// The folder of an "OutputFolder=" line: its line break is no part of it.
void SetOutputFolderKey(CommonOptions& options, const char* value) {
  std::string folder(value);
  while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r')) folder.pop_back();
  if (!folder.empty()) options.OutputFolder = folder;
}

// The layout of a headerless raw frame (FORMAT,WIDTH,HEIGHT[,STRIDE]), kept as
// given and read when the picture is loaded.
void SetRawLayout(CommonOptions& options, const char* value) { options.RawLayout = value; }

// Samples in the top bits of their words (-TopBits, TopBits=1).
void SetTopBitsOption(CommonOptions& options, const char*) { options.TopBits = true; }
void SetTopBitsKey(CommonOptions& options, const char* value) { ScanSwitchInto(value, options.TopBits); }

}  // namespace

SettingRow ValueSetting(std::string name, std::function<void(const char* value)> set) {
  SettingSetter setter = Ignoring(std::move(set));
  return SettingRow{std::move(name), SettingRow::Option::Value, setter, setter};
}

SettingRow SwitchSetting(std::string name, std::function<void()> on,
                         std::function<void(const char* value)> key) {
  return SettingRow{std::move(name), SettingRow::Option::Switch,
                    [on = std::move(on)](CommonOptions&, const char*) { on(); },
                    key ? Ignoring(std::move(key)) : SettingSetter{}};
}

SettingRow KeySetting(std::string name, std::function<void(const char* value)> set) {
  return SettingRow{std::move(name), SettingRow::Option::None, {}, Ignoring(std::move(set))};
}

SettingRow OptionOnly(OptionSpec option) {
  return SettingRow{std::move(option.Name),
                    option.TakesValue ? SettingRow::Option::Value : SettingRow::Option::Switch,
                    std::move(option.Apply), {}, option.AppliedWithoutValue};
}

SettingTable StandardSettings(SettingTable own) {
  SettingTable table = {
      OptionOnly(PathOption("OutputFile", &CommonOptions::OutputFile)),
      OptionOnly(PathOption("TestSettings", &CommonOptions::TestSettings)),
      OptionOnly(PathOption("TestLimits", &CommonOptions::TestLimits)),
      OptionOnly(PathOption("LogFile", &CommonOptions::LogFile)),
      OptionOnly(PathOption("BMPFileIn", &CommonOptions::BMPFileIn)),
  };
  for (SettingRow& row : own) table.push_back(std::move(row));
  table.push_back(OptionOnly(SlaveOption()));
  table.push_back(OptionOnly(DebugOption()));
  // The rows every program gained later, after all earlier ones.
  table.push_back(SettingRow{"OutputFolder", SettingRow::Option::Value, &SetOutputFolderOption,
                             &SetOutputFolderKey});
  table.push_back(
      SettingRow{"RawLayout", SettingRow::Option::Value, &SetRawLayout, &SetRawLayout});
  return table;
}

SettingTable WithProductSettings(SettingTable rows, const ProductTable& products) {
  for (const RunProduct& product : products) {
    rows.push_back(OptionOnly(OptionSpec{product.Option, true,
                                         [path = product.Path](CommonOptions& o, const char* value) {
                                           o.Products.*path = value != nullptr ? value : "";
                                         },
                                         true}));
  }
  return rows;
}

SettingTable WithLaterSettings(SettingTable rows) {
  rows.push_back(SettingRow{"TopBits", SettingRow::Option::Switch, &SetTopBitsOption, &SetTopBitsKey});
  return rows;
}

OptionTable OptionsOf(const SettingTable& rows) {
  OptionTable options;
  for (const SettingRow& row : rows) {
    if (row.OnCommandLine == SettingRow::Option::None) continue;
    options.push_back(OptionSpec{row.Name, row.OnCommandLine == SettingRow::Option::Value,
                                 row.OptionSetter, row.AppliedWithoutValue});
  }
  return options;
}

SettingsKeyTable KeysOf(const SettingTable& rows, CommonOptions& options) {
  SettingsKeyTable keys;
  for (const SettingRow& row : rows) {
    if (!row.KeySetter) continue;
    keys.push_back(SettingsKey{row.Name + "=", [&options, set = row.KeySetter](const char* value) {
                                 set(options, value);
                               }});
  }
  return keys;
}

SettingsKeyTable OwnKeysOf(const SettingTable& ownRows) {
  SettingsKeyTable keys;
  for (const SettingRow& row : ownRows) {
    if (!row.KeySetter) continue;
    // Own rows never touch the common options: a scratch set stands in for a run's.
    keys.push_back(SettingsKey{row.Name + "=", [set = row.KeySetter](const char* value) {
                                 CommonOptions scratch;
                                 set(scratch, value);
                               }});
  }
  return keys;
}

}  // namespace sensor::frontend
