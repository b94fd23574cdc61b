#include "waferon/station/module_state.h"

namespace sensor::waferon {

ModuleState& State() {
  static ModuleState state;
  return state;
}

}  // namespace sensor::waferon
