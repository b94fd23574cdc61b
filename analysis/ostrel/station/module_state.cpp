#include "ostrel/station/module_state.h"

namespace sensor::ostrel {

ModuleState& State() {
  static ModuleState state;
  return state;
}

}  // namespace sensor::ostrel
