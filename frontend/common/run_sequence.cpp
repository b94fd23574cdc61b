#include "frontend/common/run_sequence.h"

#include <cstdio>

#include "common/frontend_interface.h"
#include "frontend/common/run_folder.h"
#include "frontend/common/text_format.h"
#include "frontend/common/version_report.h"

namespace sensor::frontend {
namespace {

using namespace SensorDefectDetectionClass;

struct RunState {
  explicit RunState(const RunHost& runHost) : host(runHost) {}

  const RunHost& host;
  CommonOptions options;
  std::string folder;  // decided at start-up
  VerdictTable verdicts;
  RunFindings findings;
  std::optional<LoadedBitmap> bitmap;
  std::string failureMessage;
  ResultCode result = S_OK;
  std::uint32_t startTick = 0;
  std::uint32_t endTick = 0;
};

// Echo, test limits, version line and the run's folder; false when the
// settings are implausible, a limits file was given but could not be read
// whole, or the output folder cannot be created or written.
bool StartUp(const ProgramDescription& program, RunState& state) {
  const SettingsEcho echo = program.Echo(state.options);
  std::fputs(echo.Text.c_str(), stdout);

  bool limitsRead = true;
  if (state.options.TestLimits) {
    limitsRead = ReadTestLimits(*state.options.TestLimits, program.Limits, state.verdicts);
  } else {
    state.options.LogFile.reset();
  }

  const ResolvedPath library = LibraryFile(program.LibraryFileName);
  if (library) PrintLibraryVersion(*library);

  const std::optional<std::string> folder =
      DecideRunFolder(state.options, state.host.Program.Directory);
  if (folder) {
    state.folder = *folder;
  } else {
    std::printf("\nOutput folder \"%s\" cannot be created or written.\n",
                state.options.OutputFolder->c_str());
  }
  const bool productsWritable = CheckProducts(program.Products, state.options.Products);
  return echo.Plausible && limitsRead && folder && productsWritable;
}

void PrintUsage(const ProgramDescription& program) {
  for (const std::string& line : program.UsageLines) std::fputs(line.c_str(), stdout);
}

void WriteStatusFile(const ProgramDescription& program, RunState& state,
                     std::optional<std::string> message, int status) {
  if (RunOutcome* outcome = state.host.Outcome) {
    outcome->Code = state.result;
    outcome->Status = status;
    outcome->Message = message ? *message : ResultText(state.result);
    outcome->Verdicts = state.verdicts;
    outcome->FailingValues = state.failureMessage;
  }
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
  WriteTextFile(Format("%s%s.csv", state.folder.c_str(), state.host.Program.BaseName.c_str()),
                FormatDefaultLog(state.verdicts, program.Layout));
}

// The run's facts beside what the driver found, then every product asked for;
// false when one could not be written.
bool WriteRunProducts(const ProgramDescription& program, RunState& state, const RunContext& context,
                      const std::string& message, int status) {
  const ProductPaths& paths = state.options.Products;
  if (!paths.Any()) return true;
  RunFindings& run = state.findings;
  run.Program = state.host.Program.BaseName;
  if (const ResolvedPath library = LibraryFile(program.LibraryFileName)) {
    run.LibraryFile = *library;
    if (const auto version = ReadProductVersion(*library)) {
      run.LibraryVersion = Format("%u.%u.%u.%u", (*version)[0], (*version)[1], (*version)[2], (*version)[3]);
    }
  }
  run.Options = state.options;
  run.OutputFolder = state.folder;
  if (program.SettingFacts) run.Settings = program.SettingFacts();
  run.Picture = context.Loaded();
  if (run.Picture != nullptr && run.Picture->Header.size() >= 16) {
    const unsigned char* header = run.Picture->Header.data();
    run.Width = static_cast<std::int32_t>(bitmap::ReadU32(header + 4));
    const auto height = static_cast<std::int32_t>(bitmap::ReadU32(header + 8));
    run.Height = height < 0 ? -height : height;
    run.BitCount = bitmap::ReadU16(header + 14);
    run.TopRowFirst = height < 0;
    const std::optional<std::uint64_t> size = PixelDataSize(run.Picture->Header);
    if (size && run.Height > 0) run.Stride = *size / static_cast<std::uint64_t>(run.Height);
  }
  run.Code = state.result;
  run.CodeText = ResultText(state.result);
  run.Status = status;
  run.Message = message;
  run.Verdicts = state.verdicts;
  return WriteProducts(program.Products, paths, run,
                       state.host.Outcome != nullptr ? &state.host.Outcome->Written : nullptr);
}

int ReleaseAndPause(RunState& state) {
  state.options.TestSettings.reset();
  state.options.LogFile.reset();
  state.options.OutputFile.reset();
  state.options.TestLimits.reset();
  state.options.BMPFileIn.reset();
  if (!state.options.Slave && !state.host.NeverWaitForKey) {
    std::fputs("\nPress a key to close the Windows...", stdout);
    WaitForKey();
  }
  std::fflush(stdout);
  return state.result == S_OK ? 0 : 1;
}

}  // namespace

RunHost StandAloneHost() { return RunHost{RefreshModulePaths(), false, nullptr, nullptr}; }

void ReadRunOptions(const ProgramDescription& program, int argc, char** argv,
                    CommonOptions& options, bool echo) {
  if (echo) {
    ParseCommandLine(argc, argv, OptionsOf(program.Settings), options);
  } else {
    ApplyArguments(argc, argv, OptionsOf(program.Settings), options);
  }
  if (options.TestSettings) {
    ReadSettingsFile(*options.TestSettings, KeysOf(program.Settings, options));
  }
}

int RunTestProgram(const ProgramDescription& program, int argc, char** argv,
                   const RunHost& host) {
  RunState state(host);
  state.verdicts = program.Verdicts;

  ReadRunOptions(program, argc, argv, state.options, true);

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

  RunContext context(state.options, state.verdicts, state.findings, state.bitmap, state.folder,
                     host.Pictures, program.PaintsPicture, program.Picture);
  if (program.Layout.ReportsElapsedTime) state.startTick = TickCount();
  state.result = program.RunLibrary(context);
  if (program.Layout.ReportsElapsedTime) state.endTick = TickCount();

  if (state.options.TestLimits && JudgeResults(state.verdicts, state.failureMessage) &&
      state.result == S_OK) {
    state.result = E_FAIL;
  }

  WriteDataLog(program, state);
  const std::optional<std::string> message =
      state.failureMessage.empty() ? std::nullopt : std::optional<std::string>(state.failureMessage);
  const int status = state.result != S_OK ? 1 : 0;
  WriteStatusFile(program, state, message, status);
  const bool productsWritten = WriteRunProducts(program, state, context,
                                                message ? *message : ResultText(state.result), status);
  const int exitCode = ReleaseAndPause(state);
  return productsWritten ? exitCode : 1;
}

}  // namespace sensor::frontend
