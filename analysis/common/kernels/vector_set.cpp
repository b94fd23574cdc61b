#include "common/kernels/vector_set.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace sensor {
namespace {

bool ProcessorHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
}

std::atomic<VectorSet>& Active() {
  static std::atomic<VectorSet> active{[] {
    const char* choice = std::getenv("SENSOR_VECTORS");
    if (choice != nullptr && std::strcmp(choice, "baseline") == 0) return VectorSet::Baseline;
    return ProcessorHasAvx2() ? VectorSet::Avx2 : VectorSet::Baseline;
  }()};
  return active;
}

}  // namespace

const char* VectorSetName(VectorSet set) { return set == VectorSet::Avx2 ? "avx2" : "baseline"; }

bool VectorSetAvailable(VectorSet set) {
  static const bool avx2 = ProcessorHasAvx2();
  return set == VectorSet::Baseline || avx2;
}

std::vector<VectorSet> AvailableVectorSets() {
  std::vector<VectorSet> sets{VectorSet::Baseline};
  if (VectorSetAvailable(VectorSet::Avx2)) sets.push_back(VectorSet::Avx2);
  return sets;
}

VectorSet ActiveVectorSet() { return Active().load(std::memory_order_relaxed); }

bool SetVectorSet(VectorSet set) {
  if (!VectorSetAvailable(set)) return false;
  Active().store(set, std::memory_order_relaxed);
  return true;
}

}  // namespace sensor
