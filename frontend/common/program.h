// The description of one test program: everything in which the three programs
// differ. The run sequence (run_sequence.h) does the rest the same way for all.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frontend/common/bitmap_loader.h"
#include "frontend/common/picture_loader.h"
#include "frontend/common/command_line.h"
#include "frontend/common/limits_file.h"
#include "frontend/common/run_options.h"
#include "frontend/common/status_file.h"
#include "frontend/common/verdict_table.h"

namespace sensor::frontend {

// The settings echo of start-up, and whether the settings passed the program's
// plausibility checks (a program without checks always passes).
struct SettingsEcho {
  std::string Text;
  bool Plausible = true;
};

// What the library driver may use of the run: the options, the verdict table
// it fills with the measured values, the bitmap, and the named data log, which
// it drops on a failure so that the default log is written instead.
class RunContext {
 public:
  RunContext(CommonOptions& options, VerdictTable& verdicts, std::optional<LoadedBitmap>& bitmap,
             std::function<PictureMode()> mode = {})
      : options_(options), verdicts_(verdicts), bitmap_(bitmap), mode_(std::move(mode)) {}

  const CommonOptions& Options() const { return options_; }
  VerdictTable& Verdicts() { return verdicts_; }
  void DropLogFile() { options_.LogFile.reset(); }

  // Loads the picture named by BMPFileIn (picture_loader.h); null when it
  // cannot be loaded. The buffers stay valid until the end of the run, past
  // the library's Close.
  LoadedBitmap* LoadBitmap() {
    PictureRequest request;
    if (mode_) request.Mode = mode_();
    request.RawLayout = options_.RawLayout;
    bitmap_ = LoadPicture(options_.BMPFileIn, request);
    return bitmap_ ? &*bitmap_ : nullptr;
  }

 private:
  CommonOptions& options_;
  VerdictTable& verdicts_;
  std::optional<LoadedBitmap>& bitmap_;
  std::function<PictureMode()> mode_;
};

struct ProgramDescription {
  // File name of the analysis library beside the program, for the version line.
  std::string LibraryFileName;
  OptionTable Options;
  SettingsKeyTable SettingsKeys;
  // The usage text, line by line, as printed.
  std::vector<std::string> UsageLines;
  std::function<SettingsEcho(const CommonOptions&)> Echo;
  LimitsRules Limits;
  // The judged values in judging order, all empty.
  VerdictTable Verdicts;
  OutputLayout Layout;
  // The analysis mode and sensor depth that a raw picture is read for.
  std::function<PictureMode()> Picture;
  // Runs the library on the bitmap and gives the run's result code.
  std::function<ResultCode(RunContext&)> RunLibrary;
};

}  // namespace sensor::frontend
