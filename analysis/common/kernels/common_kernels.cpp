#include "common/kernels/common_kernels.h"

#include "common/kernels/vector_set.h"

namespace sensor {

const CommonKernels& ActiveCommonKernels() {
  return ActiveVectorSet() == VectorSet::Avx2 ? kernels::avx2::kCommonKernels : kernels::baseline::kCommonKernels;
}

}  // namespace sensor
