// Glazetrun: tests the package of a camera sensor from one bitmap with the
// package defect library.
#include <cstdio>
#include <exception>

#include "frontend/common/run_sequence.h"
#include "frontend/glazetrun/glazet_driver.h"
#include "frontend/glazetrun/glazet_program.h"

int main(int argc, char** argv) {
  using namespace sensor;
  try {
    glazetrun::GlazetSettings settings;
    SensorDefectDetectionClass::_RESULT_Glazet result{};
    const frontend::ProgramDescription program = glazetrun::DescribeGlazetrun(
        settings, [&](frontend::RunContext& run) {
          return glazetrun::RunLibrary(run, settings, result);
        });
    return frontend::RunTestProgram(program, argc, argv);
  } catch (const std::exception&) {
    std::fflush(stdout);
    return 1;
  }
}
