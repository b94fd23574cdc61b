#include "waferon/kernels/waferon_kernels.h"

#include "common/kernels/vector_set.h"

namespace sensor::waferon {

const WaferonKernels& ActiveWaferonKernels() {
  return ActiveVectorSet() == VectorSet::Avx2 ? kernels::avx2::kWaferonKernels : kernels::baseline::kWaferonKernels;
}

}  // namespace sensor::waferon
