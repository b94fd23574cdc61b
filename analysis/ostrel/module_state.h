// The working state of the level library: one copy per process, shared by every
// object of the exported class.
#pragma once

#include "common/image_binding.h"
#include "common/levels.h"
#include "common/rect.h"

namespace sensor::ostrel {

struct ModuleState {
  bool Open = false;
  ImageBinding Binding;      // kept until the next successful BindImage
  Rect MeasurementWindow;    // placed by every Execute
  LevelSet Levels{};         // the statistics of the last successful Execute
};

ModuleState& State();

}  // namespace sensor::ostrel
