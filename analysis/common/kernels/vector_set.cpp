#include "common/kernels/vector_set.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace sensor {
namespace {

// Whether the processor has the instructions the set's kernels are compiled
// for (cmake/Kernels.cmake).
bool ProcessorRuns(VectorSet set) {
  __builtin_cpu_init();
  switch (set) {
    case VectorSet::Baseline: return true;
    case VectorSet::Avx2: return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
  }
  return false;
}

std::atomic<VectorSet>& Active() {
  static std::atomic<VectorSet> active{[] {
    const std::vector<VectorSet> sets = AvailableVectorSets();
    const char* choice = std::getenv("SENSOR_VECTORS");
    if (choice != nullptr) {
      for (const VectorSet set : sets) {
        if (std::strcmp(choice, VectorSetName(set)) == 0) return set;
      }
    }
    return sets.back();  // the widest
  }()};
  return active;
}

}  // namespace

const char* VectorSetName(VectorSet set) { return kVectorSetNames[static_cast<int>(set)]; }

bool VectorSetAvailable(VectorSet set) {
  static const auto available = [] {
    std::vector<bool> runs;
    for (int i = 0; i < kVectorSetCount; ++i) runs.push_back(ProcessorRuns(static_cast<VectorSet>(i)));
    return runs;
  }();
  const auto i = static_cast<int>(set);
  return i >= 0 && i < kVectorSetCount && available[static_cast<std::size_t>(i)];
}

std::vector<VectorSet> AvailableVectorSets() {
  std::vector<VectorSet> sets;
  for (int i = 0; i < kVectorSetCount; ++i) {
    if (VectorSetAvailable(static_cast<VectorSet>(i))) sets.push_back(static_cast<VectorSet>(i));
  }
  return sets;
}

VectorSet ActiveVectorSet() { return Active().load(std::memory_order_relaxed); }

bool SetVectorSet(VectorSet set) {
  if (!VectorSetAvailable(set)) return false;
  Active().store(set, std::memory_order_relaxed);
  return true;
}

}  // namespace sensor
