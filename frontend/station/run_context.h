// What a program's library driver may use of its run (library_run.h makes the
// calls every driver makes): the options, the verdict table it fills with the
// measured values, the findings it reads from the library (run_findings.h),
// the picture, the folder of the library's files, and the named data log,
// which it drops on a failure so that the default log is written instead.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "frontend/pictures/picture.h"
#include "frontend/pictures/picture_loader.h"
#include "frontend/products/run_findings.h"
#include "frontend/station/run_host.h"
#include "frontend/station/run_options.h"
#include "frontend/station/verdict_table.h"

namespace sensor::frontend {

class RunContext {
 public:
  RunContext(CommonOptions& options, VerdictTable& verdicts, StationFindings& findings,
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
  StationFindings& Findings() { return findings_; }
  void DropLogFile() { options_.LogFile.reset(); }
  // The run's folder (run_folder.h), ending in '/' (empty: the working directory).
  const std::string& OutputFolder() const { return folder_; }

  // Loads the picture named by BMPFileIn (picture_loader.h); null when it
  // cannot be loaded. The buffers stay valid until the end of the run, past
  // the library's Close.
  Picture* LoadBitmap();
  // Whether the library is to paint the loaded picture, which is then memory
  // of the run's own; else the picture may be a mapped file the library only reads.
  bool PaintsPicture() const { return paints_; }
  // The picture LoadBitmap gave; null before it or when it could not be loaded.
  const Picture* Loaded() const { return loaded_; }
  // The request of LoadBitmap's reading; nothing before it.
  const std::optional<PictureRequest>& Request() const { return request_; }

 private:
  CommonOptions& options_;
  VerdictTable& verdicts_;
  StationFindings& findings_;
  std::optional<Picture>& bitmap_;
  Picture* loaded_ = nullptr;
  std::optional<PictureRequest> request_;
  const std::string& folder_;
  const PictureSource& pictures_;
  bool paints_;
  std::function<PictureRequest()> mode_;
};

}  // namespace sensor::frontend
