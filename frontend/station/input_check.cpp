#include "frontend/station/input_check.h"

#include <cstring>

#include "frontend/common/regular_file.h"
#include "frontend/common/text_format.h"
#include "frontend/common/text_lines.h"

namespace sensor::frontend {
namespace {

constexpr std::size_t kNamedLines = 10;

bool IsOption(const char* argument) { return argument != nullptr && argument[0] == '-'; }

std::vector<std::string> NamesOf(const OptionTable& table) {
  std::vector<std::string> names;
  for (const OptionSpec& option : table) names.push_back(option.Name);
  return names;
}

Diagnostic UnknownOption(const std::string& argument, const std::vector<std::string>& names) {
  // "--Name" is a common habit; the nearest name is looked for without the dashes.
  const std::size_t dashes = argument.find_first_not_of('-');
  const std::string word = dashes == std::string::npos ? std::string() : argument.substr(dashes);
  Diagnostic d{DiagnosticClass::UnknownOption, argument, "no option has this name", ""};
  if (const auto nearest = NearestName(word, names)) {
    d.Remedy = "did you mean -";
    d.Remedy.append(*nearest).append("?");
  } else {
    d.Remedy = "the options are listed by --help";
  }
  return d;
}

}  // namespace

std::vector<Diagnostic> CheckArguments(int argc, char** argv, const OptionTable& table) {
  std::vector<Diagnostic> found;
  const std::vector<std::string> names = NamesOf(table);
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument == nullptr) continue;
    const int match = MatchOption(argument, table);
    if (match < 0) {
      if (IsOption(argument)) {
        found.push_back(UnknownOption(argument, names));
        // The word behind a misspelt option is most likely its value: one line says it all.
        if (i + 1 < argc && argv[i + 1] != nullptr && !IsOption(argv[i + 1])) ++i;
      } else {
        found.push_back({DiagnosticClass::UnknownOption, argument,
                         "neither an option nor the value of one",
                         "options begin with '-' and their value follows them"});
      }
      continue;
    }
    const OptionSpec& option = table[static_cast<std::size_t>(match)];
    if (!option.TakesValue) continue;
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (value == nullptr || IsOption(value)) {
      found.push_back({DiagnosticClass::MissingValue, argument, "the option is given without its value",
                       "put the value right behind it (a value cannot begin with '-')"});
    } else {
      ++i;  // the value
    }
  }
  return found;
}

std::vector<Diagnostic> CheckPathValues(int argc, char** argv, const OptionTable& table,
                                        const CommonOptions& options) {
  struct PathField {
    const char* Name;
    const ResolvedPath CommonOptions::*Field;
    const char* Example;
  };
  static constexpr PathField kPaths[] = {{"OutputFile", &CommonOptions::OutputFile, "status.txt"},
                                         {"TestSettings", &CommonOptions::TestSettings, "settings.ini"},
                                         {"TestLimits", &CommonOptions::TestLimits, "limits.txt"},
                                         {"LogFile", &CommonOptions::LogFile, "log.csv"},
                                         {"BMPFileIn", &CommonOptions::BMPFileIn, "picture.bmp"}};
  std::vector<Diagnostic> found;
  for (const PathField& path : kPaths) {
    // The last value given counts, as it does when the options are applied.
    std::string given;
    std::string argument;
    for (int i = 1; i + 1 < argc; ++i) {
      const int match = MatchOption(argv[i], table);
      if (match < 0 || table[static_cast<std::size_t>(match)].Name != path.Name) continue;
      if (argv[i + 1] != nullptr && !IsOption(argv[i + 1])) {
        argument = argv[i];
        given = argv[i + 1];
      }
    }
    if (argument.empty() || options.*path.Field) continue;
    found.push_back({DiagnosticClass::BadPath, argument + " " + given,
                     "not a usable path (it needs a file name with an extension, within the length a path may have)",
                     std::string("name the file with its extension, e.g. ") + path.Example});
  }
  return found;
}

std::vector<Diagnostic> CheckSettingsFile(const std::string& path, const std::vector<std::string>& keys) {
  std::vector<Diagnostic> found;
  std::size_t line = 1;
  std::size_t unmatched = 0;
  bool lineStart = true;  // the piece begins a line (a long line gives several pieces)
  const bool read = ForEachTextPiece(path, [&](std::string_view piece) {
    const bool starts = lineStart;
    const std::size_t number = line;
    lineStart = !piece.empty() && piece.back() == '\n';
    if (lineStart) ++line;
    if (!starts) return;
    std::string_view text = piece;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text[first] == ';' || text[first] == '#' || text[first] == '[') return;
    for (const std::string& key : keys) {
      if (StartsWithNoCase(text, key)) return;
    }
    if (++unmatched > kNamedLines) return;
    const std::size_t equals = text.find('=');
    const std::string word(text.substr(0, equals == std::string_view::npos ? text.size() : equals + 1));
    Diagnostic d{DiagnosticClass::SettingsFile, Format("%s line %zu", path.c_str(), number), "\"", ""};
    d.Problem.append(text.substr(0, 60)).append("\" sets nothing");
    if (equals == std::string_view::npos) {
      d.Remedy = "expected Key=value with a key listed by --help, a comment (;) or a section line ([...])";
    } else if (const auto nearest = NearestName(word, keys)) {
      d.Remedy = "did you mean ";
      d.Remedy.append(*nearest).append("?");
    } else {
      d.Remedy = "expected a key listed by --help";
    }
    if (first != 0) d.Remedy.insert(0, "a key must begin the line; ");
    found.push_back(std::move(d));
  });
  if (!read) {
    found.push_back({DiagnosticClass::SettingsFile, path, UnreadableFileProblem(path),
                     "check the path given to -TestSettings; the run goes on with the start values"});
  } else if (unmatched > kNamedLines) {
    found.push_back({DiagnosticClass::SettingsFile, path,
                     Format("%zu more lines set nothing", unmatched - kNamedLines), "expected keys listed by --help"});
  }
  return found;
}

}  // namespace sensor::frontend
