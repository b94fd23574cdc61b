// The description of one test program: everything in which the three programs
// differ. The run sequence (run_sequence.h) does the rest the same way for all.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frontend/pictures/picture.h"
#include "frontend/common/diagnostics.h"
#include "frontend/pictures/picture_loader.h"
#include "frontend/station/limits_file.h"
#include "frontend/products/run_findings.h"
#include "frontend/station/run_options.h"
#include "frontend/station/setting_table.h"
#include "frontend/products/run_products.h"
#include "frontend/products/review_product.h"
#include "frontend/station/status_file.h"
#include "frontend/station/verdict_table.h"

namespace sensor::frontend {

// The settings echo of start-up, and whether the settings passed the program's
// plausibility checks (a program without checks always passes).
struct SettingsEcho {
  std::string Text;
  bool Plausible = true;
  // For implausible settings: which setting and why, for the diagnostic line.
  std::string Problem;
};

// Where a run's pictures come from when its host keeps them: the picture for a
// path, read as the request says (picture_loader.h; null when it cannot be
// loaded), valid until the end of the run; a run that paints the picture gets
// one that no later run sees.
using PictureSource =
    std::function<Picture*(const ResolvedPath& path, const PictureRequest& request, bool paints)>;

// What a run's status file reports, for its host.
struct RunOutcome {
  ResultCode Code = 0;
  int Status = 0;
  std::string Message;  // the status message without " ERROR"
  VerdictTable Verdicts;
  std::string FailingValues;  // the values outside their limits; empty: none
  ProductPaths Written;       // the products the run wrote, as given
  // PASS, FAIL or ERROR, and for an ERROR its diagnostic (diagnostics.h);
  // for a FAIL the values outside their limits.
  RunClass Class = RunClass::Error;
  std::string Reason;
};

// Who runs the program: the program itself (StandAloneHost) or a host that runs
// many runs in one process (the batch program).
struct RunHost {
  // The directory and name the run counts as the program's own: the default
  // folder of its files and the name of its default data log.
  ModulePaths Program;
  // Never waits for a key at the end, whatever "slave" says.
  bool NeverWaitForKey = false;
  // Null: each run reads its picture file itself.
  PictureSource Pictures;
  // Filled at the end of the run when not null.
  RunOutcome* Outcome = nullptr;
  // The program run by a user: it answers --help and --version, and writes
  // its diagnostics on standard error (a host gets them in the outcome).
  bool StandAlone = false;
};

// The program run on its own: its directory and name from its own file.
RunHost StandAloneHost();

// What the library driver may use of the run: the options, the verdict table
// it fills with the measured values, the findings it reads from the library
// (run_findings.h), the bitmap, the folder of the library's files, and the
// named data log, which it drops on a failure so that the default log is
// written instead.
class RunContext {
 public:
  RunContext(CommonOptions& options, VerdictTable& verdicts, RunFindings& findings,
             std::optional<Picture>& bitmap, const std::string& folder,
             const PictureSource& pictures, bool paints, std::function<PictureRequest()> mode = {})
      : options_(options),
        verdicts_(verdicts),
        findings_(findings),
        bitmap_(bitmap),
        folder_(folder),
        pictures_(pictures),
        paints_(paints),
        mode_(std::move(mode)) {}

  const CommonOptions& Options() const { return options_; }
  VerdictTable& Verdicts() { return verdicts_; }
  RunFindings& Findings() { return findings_; }
  void DropLogFile() { options_.LogFile.reset(); }
  // The run's folder (run_folder.h), ending in '/' (empty: the working directory).
  const std::string& OutputFolder() const { return folder_; }

  // Loads the picture named by BMPFileIn (picture_loader.h); null when it
  // cannot be loaded. The buffers stay valid until the end of the run, past
  // the library's Close.
  Picture* LoadBitmap() {
    PictureRequest request;
    if (mode_) request = mode_();
    request.TopBits = options_.TopBits;
    request.RawLayout = options_.RawLayout;
    request.Memory = paints_ ? PixelMemory::Own : PixelMemory::MappedFile;
    findings_.Mode = request;
    request_ = request;
    if (pictures_) {
      loaded_ = pictures_(options_.BMPFileIn, request, paints_);
    } else {
      bitmap_ = LoadPicture(options_.BMPFileIn, request);
      loaded_ = bitmap_ ? &*bitmap_ : nullptr;
    }
    if (loaded_ != nullptr && options_.Products.ReviewImage) {
      findings_.ReviewBackdrop = ReviewBackdropOf(*loaded_, request);
    }
    return loaded_;
  }
  // The picture LoadBitmap gave; null before it or when it could not be loaded.
  const Picture* Loaded() const { return loaded_; }
  // The request of LoadBitmap's reading; nothing before it.
  const std::optional<PictureRequest>& Request() const { return request_; }

 private:
  CommonOptions& options_;
  VerdictTable& verdicts_;
  RunFindings& findings_;
  std::optional<Picture>& bitmap_;
  Picture* loaded_ = nullptr;
  std::optional<PictureRequest> request_;
  const std::string& folder_;
  const PictureSource& pictures_;
  bool paints_;
  std::function<PictureRequest()> mode_;
};

struct ProgramDescription {
  // File name of the analysis library beside the program, for the version line.
  std::string LibraryFileName;
  // The options and settings-file keys, one row per setting (setting_table.h).
  SettingTable Settings;
  // The usage text, line by line, as printed.
  std::vector<std::string> UsageLines;
  std::function<SettingsEcho(const CommonOptions&)> Echo;
  LimitsRules Limits;
  // The judged values in judging order, all empty.
  VerdictTable Verdicts;
  OutputLayout Layout;
  // Whether the library paints the bound picture (Glazet's defect map).
  bool PaintsPicture = false;
  // The analysis mode and sensor depth that a raw picture is read for.
  std::function<PictureRequest()> Picture;
  // Runs the library on the bitmap and gives the run's result code.
  std::function<ResultCode(RunContext&)> RunLibrary;
  // The files the run writes from its findings on request (run_products.h);
  // their options end the option table.
  ProductTable Products;
  // The settings as the library receives them, for the outputs that list them.
  std::function<std::vector<SettingFact>()> SettingFacts;
  // The files the library leaves in the run's folder after an analysis that
  // ended with 0, given the measured values (none: it leaves none).
  std::function<std::vector<std::string>(const VerdictTable& values)> LibraryFiles;
};

}  // namespace sensor::frontend
