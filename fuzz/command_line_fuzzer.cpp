// The command-line parser of the three test programs on any argument vector
// (the input split at NUL bytes into arguments), followed by each program's
// settings echo.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/station/input_check.h"
#include "frontend/station/program_information.h"
#include "program_tables.h"
#include "frontend/station/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  constexpr std::size_t kMostArguments = 64;
  std::vector<std::string> arguments = {"fuzzed-program"};
  std::string current;
  for (std::size_t i = 0; i < size && arguments.size() < kMostArguments; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (arguments.size() < kMostArguments) arguments.push_back(current);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  fuzz::ForEachProgramSettings([&](const frontend::OptionTable& table,
                                   const frontend::SettingsKeyTable&, auto echo) {
    frontend::CommonOptions options;
    frontend::ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), table, options);
    echo(options);
    // The mistakes found beside the reading, and their lines.
    const int argc = static_cast<int>(arguments.size());
    for (const frontend::Diagnostic& d : frontend::CheckArguments(argc, argv.data(), table)) frontend::FormatDiagnostic(d);
    for (const frontend::Diagnostic& d : frontend::CheckPathValues(argc, argv.data(), table, options)) {
      frontend::FormatDiagnostic(d);
    }
    frontend::FindInformationRequest(argc, argv.data());
  });
  return 0;
}
