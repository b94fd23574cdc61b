// What one analysis of the chip library works on and leaves for the getters
// and the next run: the bound picture, the tables, the candidate and visited
// lists, the levels and the cluster count's memory. The station keeps one per
// process (station/module_state.h), whose lists grow across the runs of an
// opening; each in-memory analyser owns one and clears it at every call.
#pragma once

#include <cstdint>
#include <memory>

#include "common/image_binding.h"
#include "common/levels.h"
#include "waferon/core/clusters.h"
#include "waferon/core/defect_lists.h"
#include "waferon/core/result_table.h"
#include "waferon/core/search_scratch.h"

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
  // The searches' memory, kept for the next run when KeepScratch is set (the
  // in-memory analysers); otherwise each search makes its own.
  bool KeepScratch = false;
  SearchScratch Scratch;

  void ReleaseTables() {
    WorstPixels.reset();
    Clusters.reset();
  }
};

}  // namespace sensor::waferon
