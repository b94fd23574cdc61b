// The batch program's job-file reader on any file: it either refuses the file
// with a message that names it, or gives jobs in file order, each naming a
// known program, with no NUL byte or line break in any argument.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "frontend/sensorbatch/job_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  const std::string& path = fuzz::ScratchPath(".txt");
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  const std::vector<std::string> programs = {"Waferonrun", "Glazetrun", "Ostrelrun"};
  const auto read = batch::ReadJobFile(path, programs);
  if (const std::string* problem = std::get_if<std::string>(&read)) {
    if (problem->rfind(path, 0) != 0) std::abort();
    return 0;
  }
  int line = 0;
  for (const batch::Job& job : std::get<std::vector<batch::Job>>(read)) {
    if (job.Line <= line) std::abort();
    line = job.Line;
    if (job.Program != "Waferonrun" && job.Program != "Glazetrun" && job.Program != "Ostrelrun")
      std::abort();
    for (const std::string& argument : job.Arguments) {
      if (argument.find('\0') != std::string::npos || argument.find('\n') != std::string::npos)
        std::abort();
    }
  }
  return 0;
}
