// Ostrelrun: measures the levels and the dimensions of a camera sensor's image
// from one bitmap with the level library.
#include "frontend/station/run_sequence.h"
#include "frontend/ostrelrun/ostrel_driver.h"
#include "frontend/ostrelrun/ostrel_program.h"

int main(int argc, char** argv) {
  using namespace sensor;
  return frontend::RunProgramMain(argc, argv, ostrelrun::DescribeOstrelrun, ostrelrun::RunLibrary);
}
