// One analysis of the bound image: geometry, validation, levels, the search,
// the cluster and single-pixel counts and the sorted tables. It works on the
// working state handed in and reports what it found in a plain outcome; it
// prints nothing, writes no file and touches no exported object.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/levels.h"
#include "waferon/core/geometry.h"
#include "waferon/core/working_state.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

// What one run found. Filled stage by stage, so that a run that ends early
// (refused, stopped, or out of memory) still says how far it came.
struct RunOutcome {
  // S_OK; E_INVALIDARG for a negative margin, bit depths the Bayer mode does
  // not accept, or a negative HammerSize with the local search on; E_ABORT
  // when the search stopped on the candidate limit; E_OUTOFMEMORY or E_FAIL
  // when the run failed on the way.
  SensorDefectDetectionClass::ResultCode Code = SensorDefectDetectionClass::S_OK;
  bool BayerMode = false;

  // Bayer mode: the record's bit depths, taken as the active ones before they
  // are checked.
  bool DepthsTaken = false;
  std::int32_t SensorBpp = 0;
  std::int32_t TestBpp = 0;

  Geometry Regions;        // placed by every run
  bool LevelsTaken = false;
  LevelSet Levels{};       // the references of the search region

  // The search ran to its end (not stopped); CandidateCount is then the
  // length of the candidate list, earlier runs of the opening included.
  bool SearchCompleted = false;
  bool Stopped = false;
  std::size_t CandidateCount = 0;

  // ClustersCounted: every field of Counts is set, the pixel counts to 0 until
  // PixelsCounted sets them too. PixelsCounted alone: only the pixel counts.
  bool ClustersCounted = false;
  bool PixelsCounted = false;
  SensorDefectDetectionClass::_RESULT_Waferon Counts{};
  // The peak of every counted cluster, in the order counted, with the number
  // of its members in Reserved (the cluster table keeps only the highest of
  // them, with Reserved 0).
  std::vector<SensorDefectDetectionClass::DefectRecord> ClusterPeaks;

  // The run came to its end (completed or stopped): the lists below are final
  // and the dump files are due.
  bool Finished = false;
  std::span<const SensorDefectDetectionClass::DefectRecord> Candidates;   // every one, in list order
  std::span<const SensorDefectDetectionClass::DefectRecord> WorstPixels;  // sorted; empty without tables
  std::span<const SensorDefectDetectionClass::DefectRecord> Clusters;     // sorted; empty without tables
};

// Runs the analysis on `state` with the record `params`; `enabled` switches the
// colours of the Bayer local search. Never throws.
RunOutcome Analyse(WorkingState& state, const SensorDefectDetectionClass::_PARAMS_Waferon& params,
                   const std::array<bool, 5>& enabled) noexcept;

}  // namespace sensor::waferon
