// Waferonrun: tests the silicon of a camera sensor from one bitmap with the
// chip defect library.
#include "frontend/station/run_sequence.h"
#include "frontend/waferonrun/waferon_driver.h"
#include "frontend/waferonrun/waferon_program.h"

int main(int argc, char** argv) {
  using namespace sensor;
  return frontend::RunProgramMain(argc, argv, waferonrun::DescribeWaferonrun,
                                  waferonrun::RunLibrary);
}
