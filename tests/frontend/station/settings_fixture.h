// The fixture of a program's settings tests: its settings record and the
// common options, set through the program's own option table and settings keys
// the way the program sets them.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "frontend/station/command_line.h"
#include "frontend/common/text_lines.h"

namespace sensor::test {

// The options a usage text names ("\t-Name ..." or "\t-<Name|Name> ...")
// that the option table does not match, in the order named.
inline std::vector<std::string> UsageNamesNoOption(const std::vector<std::string>& usage,
                                                   const frontend::OptionTable& table) {
  std::vector<std::string> unknown;
  for (const std::string& line : usage) {
    if (!line.starts_with("\t-")) continue;
    const std::string names = line.substr(2, line.find_first_of(" \n", 2) - 2);
    std::vector<std::string> split{names};
    if (names.starts_with('<') && names.ends_with('>')) {  // alternatives
      std::istringstream alternatives(names.substr(1, names.size() - 2));
      split.clear();
      for (std::string name; std::getline(alternatives, name, '|');) split.push_back(name);
    }
    for (const std::string& name : split)
      if (frontend::MatchOption(("-" + name).c_str(), table) < 0) unknown.push_back("-" + name);
  }
  return unknown;
}

template <class Settings, frontend::OptionTable (*Options)(Settings&),
          frontend::SettingsKeyTable (*Keys)(Settings&)>
class SettingsTest : public ::testing::Test {
 protected:
  // Parses `arguments` as the command line after the program's path.
  void Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/opt/station/program");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    frontend::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), Options(settings),
                               options);
  }

  // Applies settings-file text, cut into lines as the settings file is read.
  void Settle(const std::string& text) {
    const frontend::SettingsKeyTable keys = Keys(settings);
    for (const std::string& line : frontend::SplitTextPieces(text)) {
      frontend::ApplySettingsLine(line, keys);
    }
  }

  Settings settings;
  frontend::CommonOptions options;
};

}  // namespace sensor::test
