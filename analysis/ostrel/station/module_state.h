// The state of the level library's station class: one copy per process,
// shared by every object of the exported class. Only the exported class's
// file reaches it through State(); the measurement gets the working state
// handed in.
#pragma once

#include <cstdint>

#include "common/rect.h"
#include "ostrel/core/working_state.h"

namespace sensor::ostrel {

// What the last run since Open measured, for get_Findings.
struct RunFindings {
  bool Ran = false;
  bool Measured = false;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Rect Window;
  LevelSet Levels{};
};

struct ModuleState : WorkingState {
  bool Open = false;
  RunFindings Findings;
};

ModuleState& State();

}  // namespace sensor::ostrel
