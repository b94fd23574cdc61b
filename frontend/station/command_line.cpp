#include "frontend/station/command_line.h"

#include <cstdio>

#include "frontend/common/text_format.h"
#include "frontend/common/text_lines.h"

namespace sensor::frontend {

OptionSpec PathOption(std::string name, ResolvedPath CommonOptions::*field) {
  return OptionSpec{std::move(name), true, [field](CommonOptions& options, const char* value) {
                      options.*field = ResolvePath(value);
                    }};
}

OptionSpec SlaveOption() {
  return OptionSpec{"slave", false,
                    [](CommonOptions& options, const char*) { options.Slave = true; }};
}

OptionSpec DebugOption() {
  return OptionSpec{"debug", false,
                    [](CommonOptions& options, const char*) { options.Debug = true; }};
}

OptionSpec SwitchOption(std::string name, std::function<void()> apply) {
  return OptionSpec{std::move(name), false,
                    [apply = std::move(apply)](CommonOptions&, const char*) { apply(); }};
}

OptionSpec ValueOption(std::string name, std::function<void(const char* value)> apply) {
  return OptionSpec{
      std::move(name), true,
      [apply = std::move(apply)](CommonOptions&, const char* value) { apply(value); }};
}

int MatchOption(const char* argument, const OptionTable& table) {
  if (argument == nullptr || argument[0] != '-') return -1;
  const std::string_view name(argument + 1);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (StartsWithNoCase(name, table[i].Name)) return static_cast<int>(i);
  }
  return -1;
}

void ApplyArguments(int argc, char** argv, const OptionTable& table, CommonOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const int match = MatchOption(argv[i], table);
    if (match < 0) continue;
    const OptionSpec& option = table[static_cast<std::size_t>(match)];
    if (!option.TakesValue) {
      option.Apply(options, nullptr);
      continue;
    }
    // The value is not skipped: not beginning with '-', it is no option.
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (value != nullptr && value[0] != '-') {
      option.Apply(options, value);
    } else if (option.AppliedWithoutValue) {
      option.Apply(options, nullptr);
    }
  }
}

void ParseCommandLine(int argc, char** argv, const OptionTable& table, CommonOptions& options) {
  ApplyArguments(argc, argv, table, options);
  if (options.Debug) {
    for (int i = 0; i < argc; ++i) std::printf("%s\n", argv[i] != nullptr ? argv[i] : "(null)");
  }
}

void ApplySettingsLine(std::string_view line, const SettingsKeyTable& keys) {
  for (const SettingsKey& key : keys) {
    if (StartsWithNoCase(line, key.Key)) {
      key.Apply(std::string(line.substr(key.Key.size())).c_str());
      return;
    }
  }
}

bool ReadSettingsFile(const std::string& path, const SettingsKeyTable& keys) {
  return ForEachTextPiece(path, [&keys](std::string_view line) { ApplySettingsLine(line, keys); });
}

}  // namespace sensor::frontend
