#include "frontend/common/program_information.h"

#include <charconv>
#include <cstring>

#include "frontend/common/text_format.h"
#include "frontend/common/version_report.h"

#ifndef SENSOR_PROGRAM_VERSION
#define SENSOR_PROGRAM_VERSION "unknown"
#endif

namespace sensor::frontend {

std::optional<InformationRequest> FindInformationRequest(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    if (std::strcmp(argv[i], "--help") == 0) return InformationRequest::Help;
    if (std::strcmp(argv[i], "--version") == 0) return InformationRequest::Version;
  }
  return std::nullopt;
}

std::string ProgramVersionLine(const std::string& name) { return name + " " + SENSOR_PROGRAM_VERSION + "\n"; }

std::string ShortestNumber(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string FormatProgramHelp(const ProgramDescription& program, const std::string& name) {
  std::string text = "Usage: " + name + " -BMPFileIn PICTURE [options]\n\n";
  text +=
      "Options (an argument selects the first option, in this order, whose name it begins with; case does not "
      "matter; a value follows its option and cannot begin with '-'):\n";
  for (const OptionSpec& option : OptionsOf(program.Settings)) {
    text += "  -" + option.Name + (option.TakesValue ? " VALUE\n" : "\n");
  }
  CommonOptions scratch;
  text += "\nSettings-file keys (lines Key=value of the -TestSettings file; lines beginning with ';', '#' or '[' "
          "are comments and sections):\n";
  for (const SettingsKey& key : KeysOf(program.Settings, scratch)) text += "  " + key.Key + "\n";
  if (program.SettingFacts) {
    text += "\nStart values (the settings as the library receives them when nothing sets them):\n";
    for (const SettingFact& fact : program.SettingFacts()) {
      std::string values;
      for (double value : fact.Values) {
        if (!values.empty()) values += ',';
        values += ShortestNumber(value);
      }
      text += "  " + fact.Name + " = " + values + "\n";
    }
  }
  text += "  (no status file, limits file, data log, picture, output folder, raw layout or product file is set)\n";
  text += "\nThe manual page tells the rest: man " + name + " (doc/man/" + name + ".1 in the sources).\n";
  return text;
}

std::string FormatProgramVersion(const ProgramDescription& program, const std::string& name) {
  std::string text = ProgramVersionLine(name);
  const ResolvedPath library = ResolvePath(program.LibraryFileName);
  const std::optional<VersionParts> version = library ? ReadProductVersion(*library) : std::nullopt;
  if (version) {
    text += FormatVersionLine(*library, *version, IsWow64());
  } else {
    text += (library ? *library : program.LibraryFileName) + ": no version record can be read\n";
  }
  return text;
}

}  // namespace sensor::frontend
