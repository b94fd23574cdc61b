#include "common/kernels/common_kernels.h"

#include "common/kernels/kernel_tables.h"

namespace sensor {

const CommonKernels& ActiveCommonKernels() {
  return SENSOR_ACTIVE_KERNEL_TABLE(kCommonKernels);
}

}  // namespace sensor
