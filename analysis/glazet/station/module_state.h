// The state of the package library's station class: one copy per process,
// shared by every object of the exported class. Only the exported class's
// file reaches it through State(); the analysis gets the working state handed
// in.
#pragma once

#include <cstdint>
#include <vector>

#include "common/rect.h"
#include "glazet/core/working_state.h"
#include "sensordefect/Glazet.h"

namespace sensor::glazet {

// What the last run since Open found, for get_Findings.
struct RunFindings {
  bool Ran = false;
  bool Searched = false;
  bool Counted = false;
  bool TooMany = false;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Rect ScanArea;
  Rect RegionOfInterest;
  std::int64_t Candidates = 0;
  // The counted regions, described from the map (which holds the count's
  // marks until the next run) the first time a host asks.
  std::int32_t Step = 1;
  std::int32_t SizeLimit = 0;
  bool Described = false;
  std::vector<SensorDefectDetectionClass::BlemishFinding> Blemishes;
};

struct ModuleState : WorkingState {
  bool Open = false;
  RunFindings Findings;
  bool Debug = false;  // the abort notice waits for a key when set
  // set_KeepPicture: Execute leaves the bound pixels unchanged (until Open).
  bool KeepPicture = false;
};

ModuleState& State();

}  // namespace sensor::glazet
