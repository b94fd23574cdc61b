// One measurement of the bound picture: the window the margins leave, then
// the five level statistics over it. It works on the working state handed in
// and reports what it found in a plain outcome; it touches no exported object.
#pragma once

#include <cstdint>

#include "common/levels.h"
#include "common/rect.h"
#include "ostrel/core/working_state.h"
#include "sensordefect/Ostrel.h"

namespace sensor::ostrel {

// What one run found, filled stage by stage.
struct RunOutcome {
  // S_OK; E_INVALIDARG for a negative margin or bit depths the Bayer mode
  // does not accept; E_OUTOFMEMORY (or E_FAIL) when the run failed on the way.
  SensorDefectDetectionClass::ResultCode Code = SensorDefectDetectionClass::S_OK;
  Rect MeasurementWindow;
  // Bayer mode: the record's bit depths, taken as the active ones before they
  // are checked.
  bool DepthsTaken = false;
  std::int32_t SensorBpp = 0;
  std::int32_t TestBpp = 0;
  bool LevelsTaken = false;
  LevelSet Levels{};
};

// Runs the measurement on `state` with the record `params`. Never throws.
RunOutcome Analyse(WorkingState& state, const SensorDefectDetectionClass::_PARAMS_Ostrel& params) noexcept;

}  // namespace sensor::ostrel
