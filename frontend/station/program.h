// The description of one test program: everything in which the three programs
// differ, made by the program's own files from its tables and its library
// driver (run_context.h, library_run.h). The run sequence (run_sequence.h)
// does the rest the same way for all.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frontend/pictures/picture.h"
#include "frontend/products/run_findings.h"
#include "frontend/products/run_products.h"
#include "frontend/station/limits_file.h"
#include "frontend/station/run_options.h"
#include "frontend/station/setting_table.h"
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

class RunContext;  // run_context.h

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
  // With PaintsPicture: whether a run with these options and this folder has
  // the picture painted (the driver asks RunContext::PaintsPicture); null: every run.
  std::function<bool(const CommonOptions&, const std::string& folder)> PaintsPictureFor;
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
