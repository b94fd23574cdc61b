#include "glazet/kernels/glazet_kernels.h"

#include "common/kernels/vector_set.h"

namespace sensor::glazet {

const GlazetKernels& ActiveGlazetKernels() {
  return ActiveVectorSet() == VectorSet::Avx2 ? kernels::avx2::kGlazetKernels : kernels::baseline::kGlazetKernels;
}

}  // namespace sensor::glazet
