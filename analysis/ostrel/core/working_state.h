// What one measurement of the level library works on: the bound picture and
// the levels it leaves. The station keeps one per process
// (station/module_state.h); each in-memory analyser owns one.
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

}  // namespace sensor::ostrel
