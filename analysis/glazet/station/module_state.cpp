#include "glazet/station/module_state.h"

namespace sensor::glazet {

ModuleState& State() {
  static ModuleState state;
  return state;
}

}  // namespace sensor::glazet
