#include "ostrel/core/pipeline.h"

#include "common/guarded.h"
#include "common/sample_rule.h"

namespace sensor::ostrel {
namespace {

using namespace SensorDefectDetectionClass;

ResultCode Run(WorkingState& state, const _PARAMS_Ostrel& params, RunOutcome& out) {
  const ImageBinding& image = state.Binding;
  const Rect& window = out.MeasurementWindow = InsetRect(
      image.Width, image.Height, params.OutlierLeft, params.OutlierTop, params.OutlierRight,
      params.OutlierBottom);
  // A negative margin would put the window outside the picture.
  if (AnyNegativeMargin(params.OutlierLeft, params.OutlierTop, params.OutlierRight,
                        params.OutlierBottom)) {
    return E_INVALIDARG;
  }
  if (!params.BayerMode) {
    state.Levels = ColourLevels(image, window);
  } else {
    out.DepthsTaken = true;
    out.SensorBpp = params.SensorBpp;
    out.TestBpp = params.TestBpp;
    if (!ValidBitDepths(params.SensorBpp, params.TestBpp)) return E_INVALIDARG;
    state.Levels = BayerLevels(image, window, params.SensorBpp, params.TestBpp);
  }
  out.Levels = state.Levels;
  out.LevelsTaken = true;
  return S_OK;
}

}  // namespace

RunOutcome Analyse(WorkingState& state, const _PARAMS_Ostrel& params) noexcept {
  RunOutcome out;
  out.Code = Guarded([&] { return Run(state, params, out); });
  return out;
}

}  // namespace sensor::ostrel
