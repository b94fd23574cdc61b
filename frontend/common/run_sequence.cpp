#include "frontend/common/run_sequence.h"

#include <cstdio>

#include "common/console.h"
#include "frontend/common/text_format.h"
#include "frontend/common/version_report.h"

namespace sensor::frontend {
namespace {

using namespace SensorDefectDetectionClass;

struct RunState {
  CommonOptions options;
  VerdictTable verdicts;
  std::optional<LoadedBitmap> bitmap;
  std::string failureMessage;
  ResultCode result = S_OK;
  std::uint32_t startTick = 0;
  std::uint32_t endTick = 0;
};

// Echo, test limits and version line; false when the settings are implausible
// or a limits file was given but could not be read whole.
bool StartUp(const ProgramDescription& program, RunState& state) {
  const SettingsEcho echo = program.Echo(state.options);
  std::fputs(echo.Text.c_str(), stdout);

  bool limitsRead = true;
  if (state.options.TestLimits) {
    limitsRead = ReadTestLimits(*state.options.TestLimits, program.Limits, state.verdicts);
  } else {
    state.options.LogFile.reset();
  }

  const ResolvedPath library = ResolvePath(program.LibraryFileName);
  if (library) PrintLibraryVersion(*library);
  return echo.Plausible && limitsRead;
}

void PrintUsage(const ProgramDescription& program) {
  for (const std::string& line : program.UsageLines) std::fputs(line.c_str(), stdout);
}

void WriteStatusFile(const ProgramDescription& program, const RunState& state,
                     std::optional<std::string> message, int status) {
  if (!state.options.OutputFile) return;
  StatusReport report;
  report.Code = state.result;
  report.Message = std::move(message);
  report.Status = status;
  report.ElapsedSeconds = static_cast<std::uint32_t>(state.endTick - state.startTick) / 1000.0;
  const StatusPaths paths{state.options.TestLimits, state.options.TestSettings,
                          state.options.LogFile, state.options.BMPFileIn};
  WriteTextFile(*state.options.OutputFile,
                FormatStatusFile(report, paths, state.verdicts, program.Layout));
}

void WriteDataLog(const ProgramDescription& program, const RunState& state) {
  if (state.options.LogFile) {
    WriteTextFile(*state.options.LogFile, FormatNamedLog(state.verdicts, program.Layout));
    return;
  }
  const ModulePaths module = RefreshModulePaths();
  WriteTextFile(Format("%s%s.csv", module.Directory.c_str(), module.BaseName.c_str()),
                FormatDefaultLog(state.verdicts, program.Layout));
}

int ReleaseAndPause(RunState& state) {
  state.options.TestSettings.reset();
  state.options.LogFile.reset();
  state.options.OutputFile.reset();
  state.options.TestLimits.reset();
  state.options.BMPFileIn.reset();
  if (!state.options.Slave) {
    std::fputs("\nPress a key to close the Windows...", stdout);
    WaitForKey();
  }
  std::fflush(stdout);
  return state.result == S_OK ? 0 : 1;
}

}  // namespace

int RunTestProgram(const ProgramDescription& program, int argc, char** argv) {
  RunState state;
  state.verdicts = program.Verdicts;

  ParseCommandLine(argc, argv, program.Options, state.options);
  if (state.options.TestSettings)
    ReadSettingsFile(*state.options.TestSettings, program.SettingsKeys);

  if (!StartUp(program, state)) {
    PrintUsage(program);
    state.options.LogFile.reset();
    state.result = E_INVALIDARG;
    WriteStatusFile(program, state,
                    std::string(state.options.BMPFileIn ? "missing or invalid argument."
                                                        : "BMP file undefined"),
                    1);
    return ReleaseAndPause(state);
  }

  RunContext context(state.options, state.verdicts, state.bitmap);
  if (program.Layout.ReportsElapsedTime) state.startTick = TickCount();
  state.result = program.RunLibrary(context);
  if (program.Layout.ReportsElapsedTime) state.endTick = TickCount();

  if (state.options.TestLimits && JudgeResults(state.verdicts, state.failureMessage) &&
      state.result == S_OK) {
    state.result = E_FAIL;
  }

  WriteDataLog(program, state);
  WriteStatusFile(program, state,
                  state.failureMessage.empty() ? std::nullopt
                                               : std::optional<std::string>(state.failureMessage),
                  state.result != S_OK ? 1 : 0);
  return ReleaseAndPause(state);
}

}  // namespace sensor::frontend
