// The state of the level library: one copy per process, shared by every object
// of the exported class. Only the exported class's file reaches it through
// State(); the measurement gets the working state handed in.
#pragma once

#include "common/image_binding.h"
#include "common/levels.h"
#include "common/rect.h"

namespace sensor::ostrel {

// What the measurement works on and leaves for the getters.
struct WorkingState {
  ImageBinding Binding;      // kept until the next successful BindImage
  LevelSet Levels{};         // the statistics of the last successful Execute
};

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
