// The state of the chip library: one copy per process, shared by every object
// of the exported class. The object itself holds only the active bit depths
// and the records in force. Only the exported class's file reaches it through
// State(); the analysis gets the working state handed in.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/image_binding.h"
#include "common/levels.h"
#include "waferon/clusters.h"
#include "waferon/defect_lists.h"
#include "waferon/geometry.h"
#include "waferon/result_table.h"

namespace sensor::waferon {

inline constexpr std::int32_t kDefaultTableSize = 64;
inline constexpr std::uint32_t kDefaultCandidateLimit = 65535;

// What the analysis works on and leaves for the getters and the next run.
struct WorkingState {
  ImageBinding Binding;  // kept until the next successful BindImage, across Close

  std::int32_t TableSize = kDefaultTableSize;
  std::unique_ptr<ResultTable> WorstPixels;  // absent until set_TableSize
  std::unique_ptr<ResultTable> Clusters;

  CandidateList Candidates;  // emptied only by Clean
  VisitedList Visited;
  // A candidate is refused (and the search stops) once the list holds more
  // than this many records.
  std::uint32_t CandidateLimit = kDefaultCandidateLimit;

  LevelSet Levels{};  // set by each run that reaches them; never cleared

  ClusterGrid Grid;  // the cluster count's memory, kept for the next run until Clean

  void ReleaseTables() {
    WorstPixels.reset();
    Clusters.reset();
  }
};

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
