// The exported class of the level library: lifecycle, binding, measurement and
// the two getters. The one place that reaches the module state: it hands the
// working state to the measurement and copies the outcome into the object.
// Every member returns a result code; nothing is thrown out.
#include "sensordefect/Ostrel.h"

#include "common/guarded.h"
#include "common/levels.h"
#include "common/output_folder.h"
#include "ostrel/station/module_state.h"
#include "ostrel/core/pipeline.h"

namespace SensorDefectDetectionClass {

using sensor::ostrel::State;

std::int32_t Ostrel::Open(int /*debug*/) {
  State().Findings = {};
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
    state.Findings = {true, outcome.LevelsTaken, state.Binding.Width, state.Binding.Height,
                      outcome.MeasurementWindow, outcome.Levels};
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

std::int32_t Ostrel::get_Findings(OstrelFindings& findings) {
  const auto& state = State();
  if (!state.Open) return E_ABORT;
  findings = OstrelFindings{};
  const sensor::ostrel::RunFindings& last = state.Findings;
  if (!last.Ran) return S_OK;
  findings.Ran = 1;
  findings.Measured = last.Measured ? 1 : 0;
  findings.Width = last.Width;
  findings.Height = last.Height;
  findings.Window = FindingArea{last.Window.Left, last.Window.Top, last.Window.Right, last.Window.Bottom};
  for (std::size_t i = 0; i < 5; ++i) findings.Levels[i] = last.Levels[i];
  return S_OK;
}

}  // namespace SensorDefectDetectionClass
