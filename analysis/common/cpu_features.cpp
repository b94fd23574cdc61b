#include "common/cpu_features.h"

#include <cstdlib>
#include <cstring>

namespace sensor {

bool UseAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool use = [] {
    const char* choice = std::getenv("SENSOR_VECTORS");
    if (choice != nullptr && std::strcmp(choice, "baseline") == 0) return false;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
  }();
  return use;
#else
  return false;
#endif
}

}  // namespace sensor
