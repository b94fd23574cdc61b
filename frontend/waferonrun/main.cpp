// Waferonrun: tests the silicon of a camera sensor from one bitmap with the
// chip defect library.
#include <cstdio>
#include <exception>

#include "frontend/common/run_sequence.h"
#include "frontend/waferonrun/waferon_driver.h"
#include "frontend/waferonrun/waferon_program.h"

int main(int argc, char** argv) {
  using namespace sensor;
  try {
    waferonrun::WaferonSettings settings;
    SensorDefectDetectionClass::_RESULT_Waferon result{};
    const frontend::ProgramDescription program = waferonrun::DescribeWaferonrun(
        settings,
        [&](frontend::RunContext& run) { return waferonrun::RunLibrary(run, settings, result); });
    return frontend::RunTestProgram(program, argc, argv);
  } catch (const std::exception&) {
    std::fflush(stdout);
    return 1;
  }
}
