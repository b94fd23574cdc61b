// The exported class of the level library: lifecycle, binding, measurement and
// the two getters. The one place that reaches the module state: it hands the
// working state to the measurement and copies the outcome into the object.
// Every member returns a result code; nothing is thrown out.
#include "sensordefect/Ostrel.h"

#include "common/guarded.h"
#include "common/levels.h"
#include "common/output_folder.h"
#include "ostrel/module_state.h"
#include "ostrel/pipeline.h"

namespace SensorDefectDetectionClass {

using sensor::ostrel::State;

std::int32_t Ostrel::Open(int /*debug*/) {
  State().Open = true;
  return S_OK;
}

std::int32_t Ostrel::Close() {
  State().Open = false;
  return S_OK;
}

std::int32_t Ostrel::Clean() { return Close(); }

std::int32_t Ostrel::BindImage(unsigned char* header, unsigned char* pixels) {
  if (!State().Open) return E_ABORT;
  return sensor::BindBitmap(header, pixels, State().Binding);
}

std::int32_t Ostrel::Execute(_RESULT_Ostrel& /*result*/, _PARAMS_Ostrel params) {
  return sensor::Guarded([&]() -> std::int32_t {
    auto& state = State();
    if (!state.Open) return E_ABORT;
    const sensor::ostrel::RunOutcome outcome = sensor::ostrel::Analyse(state, params);
    if (outcome.DepthsTaken) {
      ActiveSensorBpp = outcome.SensorBpp;
      ActiveTestBpp = outcome.TestBpp;
    }
    return outcome.Code;
  });
}

std::int32_t Ostrel::get_Ostrel(double* r, double* g, double* b, double* g1, double* g2) {
  const auto& state = State();
  if (!state.Open) return E_ABORT;
  sensor::HandOutLevels(state.Levels, r, g, b, g1, g2);
  return S_OK;
}

std::int32_t Ostrel::get_SensorDim(std::int32_t* width, std::int32_t* height) {
  const auto& binding = State().Binding;
  if (width != nullptr) *width = binding.Width;
  if (height != nullptr) *height = binding.Height;
  return S_OK;
}

std::int32_t Ostrel::set_OutputFolder(const char* folder) {
  return sensor::SetOutputFolder(folder);
}

}  // namespace SensorDefectDetectionClass
