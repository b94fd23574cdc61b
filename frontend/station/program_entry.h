// A test program as another program runs it (the batch program runs many in
// one process): its name, a whole run with a host of the caller's, and the
// options a run would take, read without running it.
#pragma once

#include <functional>
#include <string>

#include "frontend/station/run_sequence.h"

namespace sensor::frontend {

struct ProgramEntry {
  std::string Name;
  // Runs the program on the argument vector (argument 0 is the program's name)
  // exactly as its main would, with `host` instead of the stand-alone one.
  std::function<int(int argc, char** argv, const RunHost& host)> Run;
  // The command line and settings file applied, without echo, without start-up.
  std::function<CommonOptions(int argc, char** argv)> ReadOptions;
  // Whether its library paints the picture it analyses.
  bool PaintsPicture = false;
  // The file name of its analysis library, for the version lines.
  std::string LibraryFileName;
};

template <class Settings, class Result>
ProgramEntry MakeProgramEntry(std::string name,
                              ProgramDescription (*describe)(
                                  Settings&, std::function<ResultCode(RunContext&)>),
                              ResultCode (*runLibrary)(RunContext&, const Settings&, Result&)) {
  ProgramEntry entry;
  entry.Name = std::move(name);
  entry.Run = [describe, runLibrary](int argc, char** argv, const RunHost& host) {
    return RunProgramMain(argc, argv, describe, runLibrary, host);
  };
  entry.ReadOptions = [describe](int argc, char** argv) {
    Settings settings;
    CommonOptions options;
    const ProgramDescription program = describe(settings, nullptr);
    ReadRunOptions(program, argc, argv, options, false);
    return options;
  };
  Settings settings;
  const ProgramDescription description = describe(settings, nullptr);
  entry.PaintsPicture = description.PaintsPicture;
  entry.LibraryFileName = description.LibraryFileName;
  return entry;
}

}  // namespace sensor::frontend
