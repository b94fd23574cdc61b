// The settings-file reader of the three test programs on any file, followed by
// each program's settings echo of what was read and the check of its lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "frontend/station/input_check.h"
#include "program_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  const std::string& path = fuzz::ScratchPath(".ini");
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  fuzz::ForEachProgramSettings([&](const frontend::OptionTable&,
                                   const frontend::SettingsKeyTable& keys, auto echo) {
    frontend::ReadSettingsFile(path, keys);
    echo(frontend::CommonOptions{});
    std::vector<std::string> names;
    for (const frontend::SettingsKey& key : keys) names.push_back(key.Key);
    for (const frontend::Diagnostic& d : frontend::CheckSettingsFile(path, names)) frontend::FormatDiagnostic(d);
  });
  return 0;
}
