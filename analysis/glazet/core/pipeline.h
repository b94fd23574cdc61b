// One analysis of the bound picture: take the defect map, place the areas,
// validate, compute the level statistics, search (timed), then count the
// clusters unless there are too many candidates. It works on the working state
// handed in and reports what it found in a plain outcome; it prints nothing,
// paints nothing, writes no file and touches no exported object.
#pragma once

#include <cstdint>
#include <vector>

#include "common/levels.h"
#include "common/rect.h"
#include "glazet/core/working_state.h"
#include "sensordefect/Glazet.h"

namespace sensor::glazet {

// What one run found. Filled stage by stage, so that a run that ends early
// (refused or out of memory) still says how far it came.
struct RunOutcome {
  // S_OK; E_POINTER when the defect map cannot be allocated; E_INVALIDARG for
  // a bad record; E_OUTOFMEMORY (or E_FAIL) when the run failed on the way.
  SensorDefectDetectionClass::ResultCode Code = SensorDefectDetectionClass::S_OK;
  bool BayerMode = false;
  bool LocalSearch = false;

  // Colour mode: the byte offset of the tested colour (R 2, G 1, B 0), which
  // the record keeps in place of the colour.
  bool PlaneTaken = false;
  std::int32_t ColorPlane = 0;
  // Bayer mode: the record's bit depths, taken as the active ones before they
  // are checked.
  bool DepthsTaken = false;
  std::int32_t SensorBpp = 0;
  std::int32_t TestBpp = 0;

  Rect ScanArea;
  Rect RegionOfInterest;
  bool LevelsTaken = false;
  LevelSet Levels{};

  // The search ran: its candidates, its time in milliseconds, and the defect
  // map (the state's, Width x Height bytes of the bound picture, non-zero for
  // every candidate).
  bool Searched = false;
  std::int64_t Candidates = 0;
  std::uint32_t Ticks = 0;
  const std::uint8_t* Map = nullptr;

  // More candidates than the limit: the clusters are not counted and the
  // count stands at the limit. Counted: Clusters holds the count, made with
  // this step and size limit (DescribeCountedClusters describes its regions
  // from the map on request).
  bool TooMany = false;
  bool Counted = false;
  std::int32_t Clusters = 0;
  std::int32_t Step = 1;
  std::int32_t SizeLimit = 0;
};

// Runs the analysis on `state` with the record `params`. Never throws.
RunOutcome Analyse(WorkingState& state, const SensorDefectDetectionClass::_PARAMS_Glazet& params) noexcept;

}  // namespace sensor::glazet
