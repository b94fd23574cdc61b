// Who runs a test program: the program itself (StandAloneHost) or a host that
// runs many runs in one process (the batch program), and what the host gets
// back from each run.
#pragma once

#include <functional>
#include <string>

#include "frontend/common/diagnostics.h"
#include "frontend/pictures/picture.h"
#include "frontend/pictures/picture_loader.h"
#include "frontend/products/product_paths.h"
#include "frontend/station/paths.h"
#include "frontend/station/verdict_table.h"
#include "sensordefect/ResultCodes.h"

namespace sensor::frontend {

using SensorDefectDetectionClass::ResultCode;

// Where a run's pictures come from when its host keeps them: the picture for a
// path, read as the request says (picture_loader.h; null when it cannot be
// loaded), valid until the end of the run; a run that paints the picture gets
// one that no later run sees.
using PictureSource =
    std::function<Picture*(const ResolvedPath& path, const PictureRequest& request, bool paints)>;

// What a run's status file reports, for its host.
struct StationOutcome {
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

struct RunHost {
  // The directory and name the run counts as the program's own: the default
  // folder of its files and the name of its default data log.
  ModulePaths Program;
  // Never waits for a key at the end, whatever "slave" says.
  bool NeverWaitForKey = false;
  // Null: each run reads its picture file itself.
  PictureSource Pictures;
  // Filled at the end of the run when not null.
  StationOutcome* Outcome = nullptr;
  // The program run by a user: it answers --help and --version, and writes
  // its diagnostics on standard error (a host gets them in the outcome).
  bool StandAlone = false;
};

// The program run on its own: its directory and name from its own file.
RunHost StandAloneHost();

}  // namespace sensor::frontend
