// One run of a test program, from the command line to the exit code.
#pragma once

#include <cstdio>
#include <exception>
#include <functional>

#include "frontend/station/program.h"
#include "frontend/station/run_context.h"
#include "frontend/station/run_host.h"

namespace sensor::frontend {

// Applies the command line (echoed with "debug" when `echo` is on), then the
// settings file with the program's keys and the common ones.
void ReadRunOptions(const ProgramDescription& program, int argc, char** argv,
                    CommonOptions& options, bool echo);

// Parses the command line and the settings file, starts up (echo, limits,
// version line, the run's folder), runs the library, judges the values, writes
// the data log and the status file, waits for a key unless "slave" is on or
// the host never waits, and gives the exit code: 0 when the run's result code
// is 0, else 1.
int RunTestProgram(const ProgramDescription& program, int argc, char** argv,
                   const RunHost& host);

// The whole of a program's main: its settings and the library's result record
// live for the run, and `describe` binds the settings to the program's tables
// and `runLibrary` (with both) as its library driver. An exception that
// escapes the run ends it with exit code 1, after what was printed is flushed,
// and says so on standard error.
template <class Settings, class Result>
int RunProgramMain(int argc, char** argv,
                   ProgramDescription (*describe)(Settings&,
                                                  std::function<ResultCode(RunContext&)>),
                   ResultCode (*runLibrary)(RunContext&, const Settings&, Result&),
                   const RunHost& host = StandAloneHost()) {
  try {
    Settings settings;
    Result result{};
    const ProgramDescription program =
        describe(settings, [&](RunContext& run) { return runLibrary(run, settings, result); });
    return RunTestProgram(program, argc, argv, host);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    if (host.StandAlone) {
      WriteDiagnosticLine(host.Program.BaseName, std::string("the run ended on an unexpected error: ") + e.what());
    }
    return 1;
  }
}

}  // namespace sensor::frontend
