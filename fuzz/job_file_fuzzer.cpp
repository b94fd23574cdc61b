// The batch program's job-file reader on any file: it either refuses the file
// with a message that names it, or gives jobs in file order, each naming a
// known program, with no NUL byte or line break in any argument. The same
// bytes on standard input ("-") give the same jobs or the same problem.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
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
  if (std::freopen(path.c_str(), "rb", stdin) != nullptr) {
    std::cin.clear();
    const auto piped = batch::ReadJobFile(batch::kStandardInput, programs);
    if (read.index() != piped.index()) std::abort();
    if (const std::string* problem = std::get_if<std::string>(&piped)) {
      const std::string name = batch::JobFileName(batch::kStandardInput);
      if (problem->rfind(name, 0) != 0 ||
          problem->substr(name.size()) != std::get<std::string>(read).substr(path.size())) {
        std::abort();
      }
    } else {
      const auto& a = std::get<std::vector<batch::Job>>(read);
      const auto& b = std::get<std::vector<batch::Job>>(piped);
      if (a.size() != b.size()) std::abort();
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].Line != b[i].Line || a[i].Program != b[i].Program || a[i].Arguments != b[i].Arguments)
          std::abort();
      }
    }
  }
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
