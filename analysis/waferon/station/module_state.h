// The state of the chip library's station class: one copy per process, shared
// by every object of the exported class. The object itself holds only the
// active bit depths and the records in force. Only the exported class's file
// reaches it through State(); the analysis gets the working state handed in.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "waferon/core/geometry.h"
#include "waferon/core/working_state.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

// What the last run since Open found beyond the lists of the working state,
// for get_Findings.
struct RunFindings {
  bool Ran = false;
  bool Finished = false;
  bool Stopped = false;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Geometry Regions;
  SensorDefectDetectionClass::_RESULT_Waferon Counts{};
  std::vector<SensorDefectDetectionClass::ClusterFinding> Clusters;
};

struct ModuleState : WorkingState {
  bool Open = false;
  RunFindings Findings;
};

ModuleState& State();

}  // namespace sensor::waferon
