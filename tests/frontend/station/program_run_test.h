// The fixture of a program's end-to-end tests: a fresh copy of the built
// program and its library per test, run from a "station" folder inside the
// program's folder, so that what lands beside the program is told apart from
// what lands in the working directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.h"

namespace sensor::test {

// Result codes as the status file writes them.
inline constexpr const char* kInvalidArgument = "-2147024809";  // E_INVALIDARG
inline constexpr const char* kFail = "-2147467259";             // E_FAIL

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ProgramRunTest : public ::testing::Test {
 protected:
  ProgramRunTest(const std::string& program, const std::string& library) : copy(program, library) {}

  // Runs the program from the "station" folder, made at the first run; bare
  // file names in the arguments mean files beside the program.
  ProgramOutput Run(std::vector<std::string> arguments) const {
    std::filesystem::create_directory(copy.File("station"));
    ProgramOutput output = copy.Run(copy.File("station"), std::move(arguments));
    EXPECT_FALSE(output.TimedOut);
    return output;
  }

  // The absolute path of a file beside the program.
  std::string Beside(const std::string& name) const { return copy.File(name); }
  std::string Read(const std::string& name) const { return copy.Read(name); }
  bool Exists(const std::string& name) const { return copy.Exists(name); }
  void Write(const std::string& name, const std::string& text) const { copy.Write(name, text); }

  ProgramCopy copy;
};

}  // namespace sensor::test
