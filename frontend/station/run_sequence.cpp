#include "frontend/station/run_sequence.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/frontend_interface.h"
#include "frontend/station/input_check.h"
#include "frontend/station/picture_diagnosis.h"
#include "frontend/station/program_information.h"
#include "frontend/station/run_folder.h"
#include "frontend/common/file_writer.h"
#include "frontend/common/text_format.h"
#include "frontend/station/version_report.h"

namespace sensor::frontend {
namespace {

using namespace SensorDefectDetectionClass;

std::string ProgramName(const RunHost& host) {
  return host.Program.BaseName.empty() ? std::string("program") : host.Program.BaseName;
}

struct RunState {
  explicit RunState(const RunHost& runHost)
      : host(runHost), diagnostics(ProgramName(runHost), runHost.StandAlone) {}

  const RunHost& host;
  RunDiagnostics diagnostics;
  RunClass runClass = RunClass::Error;
  std::string reason;  // for an ERROR its diagnostic, for a FAIL the failing values
  bool outputLost = false;  // a file the run was to write is not written
  CommonOptions options;
  std::string folder;  // decided at start-up
  VerdictTable verdicts;
  StationFindings findings;
  std::optional<Picture> bitmap;
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
  if (!echo.Plausible) {
    state.diagnostics.Add({DiagnosticClass::Settings, "", echo.Problem.empty() ? "the settings do not go together" : echo.Problem,
                           "correct the settings file or the options (the settings echo shows what was read)"});
  }

  bool limitsRead = true;
  if (state.options.TestLimits) {
    std::string problem;
    limitsRead = ReadTestLimits(*state.options.TestLimits, program.Limits, state.verdicts, &problem);
    if (!limitsRead) {
      state.diagnostics.Add({DiagnosticClass::LimitsFile, *state.options.TestLimits, problem,
                             "give -TestLimits a limits file with this program's sections (see its manual page)"});
    }
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
    state.diagnostics.Add({DiagnosticClass::Output, *state.options.OutputFolder,
                           "the output folder cannot be created or written",
                           "give -OutputFolder a folder you may write"});
  }
  const bool productsWritable = CheckProducts(program.Products, state.options.Products, &state.diagnostics);
  return echo.Plausible && limitsRead && folder && productsWritable;
}

void PrintUsage(const ProgramDescription& program) {
  for (const std::string& line : program.UsageLines) std::fputs(line.c_str(), stdout);
}

// Why a file could not be written (errno as the failed write left it), and
// what to do, for the run's diagnostics.
void LoseOutput(RunState& state, const std::string& path, const char* what, int error) {
  state.outputLost = true;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat info {};
  std::string problem = std::string(what) + " cannot be written: ";
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    problem += "its folder does not exist";
  } else if (access(folder.c_str(), W_OK | X_OK) != 0) {
    problem += "its folder is not writable";
  } else {
    problem += error != 0 ? std::strerror(error) : "the write failed";
  }
  state.diagnostics.Add({DiagnosticClass::Output, path, problem, "name a file in a folder you may write"});
}

void WriteStatusFile(const ProgramDescription& program, RunState& state,
                     std::optional<std::string> message, int status) {
  if (StationOutcome* outcome = state.host.Outcome) {
    outcome->Code = state.result;
    outcome->Status = status;
    outcome->Message = message ? *message : ResultText(state.result);
    outcome->Verdicts = state.verdicts;
    outcome->FailingValues = state.failureMessage;
    outcome->Class = state.runClass;
    outcome->Reason = state.reason;
  }
  if (!state.options.OutputFile) return;
  StatusReport report;
  report.Code = state.result;
  report.Message = std::move(message);
  report.Status = status;
  report.ElapsedSeconds = static_cast<std::uint32_t>(state.endTick - state.startTick) / 1000.0;
  const StatusPaths paths{state.options.TestLimits, state.options.TestSettings,
                          state.options.LogFile, state.options.BMPFileIn};
  errno = 0;
  if (!WriteWholeFile(*state.options.OutputFile, FormatStatusFile(report, paths, state.verdicts, program.Layout))) {
    LoseOutput(state, *state.options.OutputFile, "the status file", errno);
  }
}

void WriteDataLog(const ProgramDescription& program, RunState& state) {
  errno = 0;
  if (state.options.LogFile) {
    if (!WriteWholeFile(*state.options.LogFile, FormatNamedLog(state.verdicts, program.Layout))) {
      LoseOutput(state, *state.options.LogFile, "the data log", errno);
    }
    return;
  }
  const std::string path = Format("%s%s.csv", state.folder.c_str(), state.host.Program.BaseName.c_str());
  if (!WriteWholeFile(path, FormatDefaultLog(state.verdicts, program.Layout))) {
    LoseOutput(state, path, "the default data log", errno);
  }
}

// The files the library was to leave in the run's folder, each checked to be
// there and written since `since` (the library cannot say that a write failed).
void CheckLibraryFiles(const ProgramDescription& program, RunState& state, std::time_t since) {
  if (!program.LibraryFiles) return;
  for (const std::string& name : program.LibraryFiles(state.verdicts)) {
    const std::string path = state.folder + name;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && info.st_mtime + 1 >= since) continue;
    LoseOutput(state, path, "the library's file", 0);
  }
}

// The run's class and reason (diagnostics.h), adding the diagnostic of a
// picture that was not analysed or of a library error; `libraryCode` is the
// library's own code, before the judging.
void ClassifyRun(RunState& state, const RunContext& context, ResultCode libraryCode) {
  const bool picturePathRefused = !state.options.BMPFileIn && state.diagnostics.Reason() &&
                                  state.diagnostics.Reason()->Class == DiagnosticClass::BadPath;
  if (context.Request() && context.Loaded() == nullptr) {
    if (!picturePathRefused) state.diagnostics.Add(DiagnosePicture(state.options.BMPFileIn, *context.Request()));
  } else if (context.Loaded() != nullptr && !context.Loaded()->Pixels.Intact()) {
    state.diagnostics.Add({DiagnosticClass::Picture, *state.options.BMPFileIn, "the file changed while it was analysed",
                           "keep the picture unchanged until the run ends"});
  } else if (libraryCode != S_OK && libraryCode != E_ABORT) {
    const std::optional<Diagnostic> refused =
        context.Loaded() != nullptr ? DiagnoseRefusedBitmap(*state.options.BMPFileIn, *context.Loaded()) : std::nullopt;
    state.diagnostics.Add(refused ? *refused
                                  : Diagnostic{DiagnosticClass::Library, "",
                                               Format("the analysis library ended the run with %s (0x%08X)",
                                                      ResultText(libraryCode), static_cast<std::uint32_t>(libraryCode)),
                                               "check the settings echo against the ranges of the manual page"});
  }
  if (const std::optional<Diagnostic>& reason = state.diagnostics.Reason()) {
    state.runClass = RunClass::Error;
    state.reason = FormatDiagnostic(*reason);
  } else if (state.result == S_OK) {
    state.runClass = RunClass::Pass;
  } else {
    // Judged values outside their limits, or a search stopped on too many defects.
    state.runClass = RunClass::Fail;
    state.reason = state.failureMessage.empty() ? ResultText(state.result) : state.failureMessage;
  }
}

// The run's facts beside what the driver found, then every product asked for;
// false when one could not be written.
bool WriteRunProducts(const ProgramDescription& program, RunState& state, const Picture* picture,
                      const std::string& message, int status, const ProductPaths& paths) {
  if (!paths.Any()) return true;
  StationFindings& run = state.findings;
  run.Program = state.host.Program.BaseName;
  if (const ResolvedPath library = LibraryFile(program.LibraryFileName)) {
    run.LibraryFile = *library;
    if (const auto version = ReadProductVersion(*library)) {
      run.LibraryVersion = Format("%u.%u.%u.%u", (*version)[0], (*version)[1], (*version)[2], (*version)[3]);
    }
  }
  const CommonOptions& o = state.options;
  run.Paths = RunPaths{o.OutputFile, o.TestSettings, o.TestLimits, o.LogFile, o.BMPFileIn, o.OutputFolder,
                       o.RawLayout, o.Products};
  run.OutputFolder = state.folder;
  if (program.SettingFacts) run.Settings = program.SettingFacts();
  run.Picture = picture;
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
  run.Judged = o.TestLimits.has_value();
  run.Values.clear();
  for (const VerdictEntry& v : state.verdicts) {
    run.Values.push_back({v.Label, v.Unit, v.Low, v.High, v.Kind == ValueKind::Count, v.Value, v.Fails()});
  }
  run.Class = state.runClass;
  run.Reason = state.reason;
  return WriteProducts(program.Products, paths, run,
                       state.host.Outcome != nullptr ? &state.host.Outcome->Written : nullptr, &state.diagnostics);
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

RunHost StandAloneHost() { return RunHost{RefreshModulePaths(), false, nullptr, nullptr, true}; }

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
  if (host.StandAlone) {
    if (const std::optional<InformationRequest> request = FindInformationRequest(argc, argv)) {
      const std::string name = ProgramName(host);
      const std::string text = *request == InformationRequest::Help ? FormatProgramHelp(program, name)
                                                                   : FormatProgramVersion(program, name);
      std::fputs(text.c_str(), stdout);
      std::fflush(stdout);
      return 0;
    }
  }
  RunState state(host);
  state.verdicts = program.Verdicts;

  ReadRunOptions(program, argc, argv, state.options, true);
  {
    const OptionTable table = OptionsOf(program.Settings);
    for (Diagnostic& d : CheckArguments(argc, argv, table)) state.diagnostics.Add(std::move(d));
    for (Diagnostic& d : CheckPathValues(argc, argv, table, state.options)) state.diagnostics.Add(std::move(d));
    if (state.options.TestSettings) {
      CommonOptions scratch;
      std::vector<std::string> keys;
      for (const SettingsKey& key : KeysOf(program.Settings, scratch)) keys.push_back(key.Key);
      for (Diagnostic& d : CheckSettingsFile(*state.options.TestSettings, keys)) state.diagnostics.Add(std::move(d));
    }
  }

  if (!StartUp(program, state)) {
    PrintUsage(program);
    state.options.LogFile.reset();
    state.result = E_INVALIDARG;
    state.runClass = RunClass::Error;
    // An output that cannot be written stops the start-up too: then it is the reason.
    const std::optional<Diagnostic>& why =
        state.diagnostics.Reason() ? state.diagnostics.Reason() : state.diagnostics.First();
    state.reason = why ? FormatDiagnostic(*why) : std::string("the run could not start");
    const std::string message = state.options.BMPFileIn ? "missing or invalid argument." : "BMP file undefined";
    WriteStatusFile(program, state, message, 1);
    // The report alone, when its own path is sound: it says why nothing ran.
    ProductPaths report;
    for (const RunProduct& product : program.Products) {
      if (product.Path == &ProductPaths::Report && state.options.Products.Report &&
          !ProductPathProblem(product, *state.options.Products.Report)) {
        report.Report = state.options.Products.Report;
      }
    }
    WriteRunProducts(program, state, nullptr, message, 1, report);
    return ReleaseAndPause(state);
  }

  RunContext context(state.options, state.verdicts, state.findings, state.bitmap, state.folder,
                     host.Pictures,
                     program.PaintsPicture &&
                         (!program.PaintsPictureFor || program.PaintsPictureFor(state.options, state.folder)),
                     program.Picture);
  if (program.Layout.ReportsElapsedTime) state.startTick = TickCount();
  const std::time_t libraryStart = std::time(nullptr);
  state.result = program.RunLibrary(context);
  const ResultCode libraryCode = state.result;
  if (program.Layout.ReportsElapsedTime) state.endTick = TickCount();

  if (state.options.TestLimits && JudgeResults(state.verdicts, state.failureMessage) &&
      state.result == S_OK) {
    state.result = E_FAIL;
  }

  ClassifyRun(state, context, libraryCode);
  if (libraryCode == S_OK) CheckLibraryFiles(program, state, libraryStart);

  WriteDataLog(program, state);
  const std::optional<std::string> message =
      state.failureMessage.empty() ? std::nullopt : std::optional<std::string>(state.failureMessage);
  const int status = state.result != S_OK ? 1 : 0;
  WriteStatusFile(program, state, message, status);
  const bool productsWritten = WriteRunProducts(program, state, context.Loaded(),
                                                message ? *message : ResultText(state.result), status,
                                                state.options.Products);
  const int exitCode = ReleaseAndPause(state);
  return productsWritten && !state.outputLost ? exitCode : 1;
}

}  // namespace sensor::frontend
