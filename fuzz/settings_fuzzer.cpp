// The settings-file reader of the three test programs on any file, followed by
// each program's settings echo of what was read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "program_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  const std::string& path = fuzz::ScratchPath(".ini");
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  fuzz::ForEachProgramSettings([&](const frontend::OptionTable&,
                                   const frontend::SettingsKeyTable& keys, auto echo) {
    frontend::ReadSettingsFile(path, keys);
    echo(frontend::CommonOptions{});
  });
  return 0;
}
