// Glazetrun: tests the package of a camera sensor from one bitmap with the
// package defect library.
#include "frontend/station/run_sequence.h"
#include "frontend/glazetrun/glazet_driver.h"
#include "frontend/glazetrun/glazet_program.h"

int main(int argc, char** argv) {
  using namespace sensor;
  return frontend::RunProgramMain(argc, argv, glazetrun::DescribeGlazetrun, glazetrun::RunLibrary);
}
