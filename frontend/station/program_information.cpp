#include "frontend/station/program_information.h"

#include <charconv>
#include <cstring>

#include "frontend/common/text_format.h"
#include "frontend/station/version_report.h"

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

namespace {

std::string FactText(const SettingFact& fact) {
  std::string text = fact.Name + "=";
  for (std::size_t i = 0; i < fact.Values.size(); ++i) {
    if (i > 0) text += ',';
    text += ShortestNumber(fact.Values[i]);
  }
  return text;
}

// Which settings of the library's record a setter sets, found by trying it:
// it is given probe values and the settings whose values change are its own.
// Gives them with their start values (`start`); empty for a setter of none
// (the run's paths and switches). `now` follows the record, which the probes
// leave changed: the help is the last thing the run does.
class StartValues {
 public:
  explicit StartValues(const ProgramDescription& program)
      : program_(program), start_(Facts()), now_(start_) {}

  std::string Of(const std::function<void(const char*)>& set, bool isSwitch) {
    // Each call's numbers differ from every earlier call's, so that a setting
    // an earlier probe set still changes.
    ++calls_;
    std::string number = std::to_string(2 + calls_);
    std::string list = number;
    for (int i = 1; i < 10; ++i) list.append(",").append(number);
    const std::string probes[] = {list, calls_ % 2 == 0 ? "G1" : "B", calls_ % 2 == 0 ? "0" : "1"};
    std::string text;
    std::vector<bool> changed(start_.size(), false);
    for (const std::string& probe : probes) {
      set(isSwitch ? nullptr : probe.c_str());
      std::vector<SettingFact> after = Facts();
      for (std::size_t i = 0; i < after.size() && i < now_.size(); ++i) {
        if (after[i].Values != now_[i].Values) changed[i] = true;
      }
      now_ = std::move(after);
      if (isSwitch) break;
    }
    for (std::size_t i = 0; i < start_.size(); ++i) {
      if (!changed[i]) continue;
      if (!text.empty()) text += ", ";
      text += FactText(start_[i]);
    }
    if (text.empty()) return text;
    text.insert(0, "   (start: ");
    text += ')';
    return text;
  }

 private:
  std::vector<SettingFact> Facts() const {
    return program_.SettingFacts ? program_.SettingFacts() : std::vector<SettingFact>{};
  }

  const ProgramDescription& program_;
  std::vector<SettingFact> start_;
  std::vector<SettingFact> now_;
  int calls_ = 0;
};

}  // namespace

std::string FormatProgramHelp(const ProgramDescription& program, const std::string& name) {
  StartValues start(program);
  std::string text = "Usage: " + name + " -BMPFileIn PICTURE [options]\n\n";
  text +=
      "Options (an argument selects the first option, in this order, whose name it begins with; case does not "
      "matter; a value follows its option and cannot begin with '-'), with the start values of what they set:\n";
  CommonOptions scratch;
  for (const OptionSpec& option : OptionsOf(program.Settings)) {
    const std::string values =
        start.Of([&](const char* value) { option.Apply(scratch, value); }, !option.TakesValue);
    text.append("  -").append(option.Name).append(option.TakesValue ? " VALUE" : "").append(values).append("\n");
  }
  text += "\nSettings-file keys (lines Key=value of the -TestSettings file; lines beginning with ';', '#' or '[' "
          "are comments and sections):\n";
  for (const SettingsKey& key : KeysOf(program.Settings, scratch)) {
    const std::string values = start.Of([&](const char* value) { key.Apply(value); }, false);
    text.append("  ").append(key.Key).append(values).append("\n");
  }
  text += "\nThe run's files and folders (status file, limits file, data log, picture, output folder, raw layout,\n"
          "products) start unset.\n";
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
