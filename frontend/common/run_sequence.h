// One run of a test program, from the command line to the exit code.
#pragma once

#include "frontend/common/program.h"

namespace sensor::frontend {

// Parses the command line and the settings file, starts up (echo, limits,
// version line), runs the library, judges the values, writes the data log and
// the status file, waits for a key unless "slave" is on, and gives the exit
// code: 0 when the run's result code is 0, else 1.
int RunTestProgram(const ProgramDescription& program, int argc, char** argv);

}  // namespace sensor::frontend
