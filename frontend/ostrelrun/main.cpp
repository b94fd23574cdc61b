// Ostrelrun: measures the levels and the dimensions of a camera sensor's image
// from one bitmap with the level library.
#include <cstdio>
#include <exception>

#include "frontend/common/run_sequence.h"
#include "frontend/ostrelrun/ostrel_driver.h"
#include "frontend/ostrelrun/ostrel_program.h"

int main(int argc, char** argv) {
  using namespace sensor;
  try {
    ostrelrun::OstrelSettings settings;
    SensorDefectDetectionClass::_RESULT_Ostrel result{};
    const frontend::ProgramDescription program = ostrelrun::DescribeOstrelrun(
        settings, [&](frontend::RunContext& run) {
          return ostrelrun::RunLibrary(run, settings, result);
        });
    return frontend::RunTestProgram(program, argc, argv);
  } catch (const std::exception&) {
    std::fflush(stdout);
    return 1;
  }
}
