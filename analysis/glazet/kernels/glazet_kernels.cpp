#include "glazet/kernels/glazet_kernels.h"

#include "common/kernels/kernel_tables.h"

namespace sensor::glazet {

const GlazetKernels& ActiveGlazetKernels() {
  return SENSOR_ACTIVE_KERNEL_TABLE(kGlazetKernels);
}

}  // namespace sensor::glazet
