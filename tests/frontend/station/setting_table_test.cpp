#include "frontend/station/setting_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sensor::frontend {
namespace {

std::vector<std::string> Names(const OptionTable& options) {
  std::vector<std::string> names;
  for (const OptionSpec& option : options) names.push_back(option.Name);
  return names;
}

TEST(SettingTable, OneRowGivesTheOptionAndTheKeyAndTheTableKeepsItsOrder) {
  std::string cluster, mode, colours;
  const SettingTable rows = StandardSettings({
      ValueSetting("ClusterSize", [&](const char* v) { cluster = v; }),
      SwitchSetting("BayerMode", [&] { mode = "switch"; }, [&](const char* v) { mode = v; }),
      SwitchSetting("ColorMode", [&] { mode = "colour"; }),
      KeySetting("ColorUnderTest", [&](const char* v) { colours = v; }),
  });
  const OptionTable options = OptionsOf(rows);
  EXPECT_EQ(Names(options),
            (std::vector<std::string>{"OutputFile", "TestSettings", "TestLimits", "LogFile",
                                      "BMPFileIn", "ClusterSize", "BayerMode", "ColorMode",
                                      "slave", "debug", "OutputFolder", "RawLayout"}));

  CommonOptions common;
  const SettingsKeyTable keys = KeysOf(rows, common);
  ASSERT_EQ(keys.size(), 5u);  // switches without a key and the paths have none
  ApplySettingsLine("clustersize=7", keys);
  ApplySettingsLine("BayerMode=1", keys);
  ApplySettingsLine("ColorUnderTest=1,1,1,0,0", keys);
  ApplySettingsLine("ColorMode=1", keys);
  EXPECT_EQ(cluster, "7");
  EXPECT_EQ(mode, "1");
  EXPECT_EQ(colours, "1,1,1,0,0");

  options[static_cast<std::size_t>(MatchOption("-ColorMode", options))].Apply(common, nullptr);
  EXPECT_EQ(mode, "colour");
  options[static_cast<std::size_t>(MatchOption("-slave", options))].Apply(common, nullptr);
  EXPECT_TRUE(common.Slave);
}

TEST(SettingTable, TheSharedRowsSetTheRunsCommonOptionsFromEitherSide) {
  const SettingTable rows = StandardSettings({});
  CommonOptions common;
  const SettingsKeyTable keys = KeysOf(rows, common);
  ApplySettingsLine("OutputFolder=/tmp/station/out\r\n", keys);
  ApplySettingsLine("rawlayout=raw10,8,4", keys);
  EXPECT_EQ(common.OutputFolder, "/tmp/station/out");
  EXPECT_EQ(common.RawLayout, "raw10,8,4");

  const OptionTable options = OptionsOf(rows);
  const OptionSpec& folder = options[static_cast<std::size_t>(MatchOption("-OutputFolder", options))];
  folder.Apply(common, "");  // an empty folder changes nothing
  EXPECT_EQ(common.OutputFolder, "/tmp/station/out");
  folder.Apply(common, "/tmp/other");
  EXPECT_EQ(common.OutputFolder, "/tmp/other");
}

}  // namespace
}  // namespace sensor::frontend
