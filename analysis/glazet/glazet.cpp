// The exported class of the package library: lifecycle, binding, Execute and
// the getters. Every member returns a result code; nothing is thrown out.
#include "sensordefect/Glazet.h"

#include <new>

#include "common/output_folder.h"
#include "module_state.h"
#include "run_pipeline.h"

namespace SensorDefectDetectionClass {

using sensor::glazet::State;

namespace {
constexpr std::int32_t kCandidateLimit = 65535;
}  // namespace

std::int32_t Glazet::Open(int debug) {
  auto& state = State();
  m_params = _PARAMS_Glazet{};
  m_result = _RESULT_Glazet{};
  state.Debug = debug != 0;
  state.CandidateLimit = kCandidateLimit;
  state.Open = true;
  return S_OK;
}

std::int32_t Glazet::Close() {
  auto& state = State();
  state.Open = false;
  state.Debug = false;
  state.Map.Release();
  return S_OK;
}

std::int32_t Glazet::Clean() { return Close(); }

std::int32_t Glazet::BindImage(unsigned char* header, unsigned char* pixels) {
  auto& state = State();
  if (!state.Open) return E_ABORT;
  return sensor::BindBitmap(header, pixels, state.Binding);
}

std::int32_t Glazet::Execute(_RESULT_Glazet& result, _PARAMS_Glazet params) {
  if (!State().Open) return E_ABORT;
  try {
    return sensor::glazet::RunExecute(*this, result, params);
  } catch (...) {
    // Only memory for the working sums or the pending pixels can run out here.
    return E_POINTER;
  }
}

std::int32_t Glazet::get_ParameterSet(_PARAMS_Glazet& params) {
  if (!State().Open) return E_ABORT;
  params = m_params;
  return S_OK;
}

std::int32_t Glazet::get_Cluster(short /*index*/, std::int32_t* /*x*/, std::int32_t* /*y*/,
                                 std::int32_t* /*size*/) {
  // The library keeps no cluster table: nothing is written.
  return State().Open ? S_OK : E_ABORT;
}

std::int32_t Glazet::get_Ostrel(double* r, double* g, double* b, double* g1, double* g2) {
  const auto& state = State();
  if (!state.Open) return E_ABORT;
  double* outputs[5] = {r, g, b, g1, g2};
  for (std::size_t i = 0; i < 5; ++i) {
    if (outputs[i] != nullptr) *outputs[i] = state.Levels[i];
  }
  return S_OK;
}

std::int32_t Glazet::set_OutputFolder(const char* folder) {
  return sensor::SetOutputFolder(folder);
}

}  // namespace SensorDefectDetectionClass
