// The exported class of the level library: lifecycle, binding, measurement and
// the two getters.
#include "sensordefect/Ostrel.h"

#include "common/levels.h"
#include "common/output_folder.h"
#include "common/sample_rule.h"
#include "module_state.h"

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
  auto& state = State();
  if (!state.Open) return E_ABORT;

  const sensor::ImageBinding& image = state.Binding;
  state.MeasurementWindow = sensor::InsetRect(image.Width, image.Height, params.OutlierLeft,
                                              params.OutlierTop, params.OutlierRight,
                                              params.OutlierBottom);
  // A negative margin would put the window outside the picture.
  if (params.OutlierLeft < 0 || params.OutlierTop < 0 || params.OutlierRight < 0 ||
      params.OutlierBottom < 0) {
    return E_INVALIDARG;
  }

  if (!params.BayerMode) {
    state.Levels = sensor::ColourLevels(image, state.MeasurementWindow);
    return S_OK;
  }
  ActiveSensorBpp = params.SensorBpp;
  ActiveTestBpp = params.TestBpp;
  if (!sensor::ValidBitDepths(params.SensorBpp, params.TestBpp)) return E_INVALIDARG;
  state.Levels =
      sensor::BayerLevels(image, state.MeasurementWindow, ActiveSensorBpp, ActiveTestBpp);
  return S_OK;
}

std::int32_t Ostrel::get_Ostrel(double* r, double* g, double* b, double* g1, double* g2) {
  const auto& state = State();
  if (!state.Open) return E_ABORT;
  double* outputs[5] = {r, g, b, g1, g2};
  for (int i = 0; i < 5; ++i) {
    if (outputs[i] != nullptr) *outputs[i] = state.Levels[static_cast<std::size_t>(i)];
  }
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
