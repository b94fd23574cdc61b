// Ostrel in memory: the analyser over the one measurement (pipeline.h), and
// its result as a value.
#include <new>
#include <string>
#include <utility>

#include "common/analyser_call.h"
#include "common/guarded.h"
#include "common/param_checks.h"
#include "common/parallel_rows.h"
#include "common/view_binding.h"
#include "ostrel/core/working_state.h"
#include "ostrel/core/pipeline.h"
#include "sensordefect/OstrelAnalysis.h"

namespace sensordefect {

using namespace SensorDefectDetectionClass;

struct OstrelAnalyser::Memory {
  sensor::ostrel::WorkingState State;
  sensor::ConvertedPixels Pixels;
};

_PARAMS_Ostrel ToStationRecord(const OstrelParams& p) {
  _PARAMS_Ostrel r{};
  r.BayerMode = p.BayerMode;
  r.SensorBpp = p.SensorBpp;
  r.TestBpp = p.TestBpp;
  r.OutlierLeft = p.OutlierLeft;
  r.OutlierTop = p.OutlierTop;
  r.OutlierRight = p.OutlierRight;
  r.OutlierBottom = p.OutlierBottom;
  r.RoiLeft = p.RoiLeft;
  r.RoiTop = p.RoiTop;
  r.RoiRight = p.RoiRight;
  r.RoiBottom = p.RoiBottom;
  return r;
}

OstrelParams FromStationRecord(const _PARAMS_Ostrel& r) {
  OstrelParams p;
  p.BayerMode = r.BayerMode;
  p.SensorBpp = r.SensorBpp;
  p.TestBpp = r.TestBpp;
  p.OutlierLeft = r.OutlierLeft;
  p.OutlierTop = r.OutlierTop;
  p.OutlierRight = r.OutlierRight;
  p.OutlierBottom = r.OutlierBottom;
  p.RoiLeft = r.RoiLeft;
  p.RoiTop = r.RoiTop;
  p.RoiRight = r.RoiRight;
  p.RoiBottom = r.RoiBottom;
  return p;
}

OstrelAnalyser::OstrelAnalyser() noexcept = default;
OstrelAnalyser::~OstrelAnalyser() = default;
OstrelAnalyser::OstrelAnalyser(OstrelAnalyser&&) noexcept = default;
OstrelAnalyser& OstrelAnalyser::operator=(OstrelAnalyser&&) noexcept = default;

OstrelResult OstrelAnalyser::Run(const ImageView& view, const OstrelParams& params, const RunOptions& options) noexcept {
  OstrelResult result;
  Run(view, params, options, result);
  return result;
}

void OstrelAnalyser::Run(const ImageView& view, const OstrelParams& params, const RunOptions& options,
                         OstrelResult& result) noexcept {
  std::string problem =
      sensor::MarginProblem(params.OutlierLeft, params.OutlierTop, params.OutlierRight, params.OutlierBottom);
  if (problem.empty()) problem = sensor::DepthProblem(params.BayerMode, params.SensorBpp, params.TestBpp);
  if (problem.empty()) problem = sensor::ThreadsProblem(options.Threads);
  const sensor::ViewMode mode{params.BayerMode, params.SensorBpp};
  sensor::RunAnalyserCall(
      memory_, result, std::move(problem), options, [](OstrelResult& r) { r = OstrelResult{}; },
      [&](Memory& memory) {
        sensor::ostrel::WorkingState& state = memory.State;
        state.Samples = nullptr;
        if (!params.BayerMode || !sensor::HoldsSamples(view)) {
          return sensor::BindView(view, mode, memory.Pixels, state.Binding);
        }
        // The levels are read straight from the samples: no conversion.
        RunStatus status = sensor::CheckView(view, mode);
        if (status.Ok()) status = sensor::CheckSamples(view, mode);
        state.Binding = sensor::ImageBinding{};
        state.Binding.Width = view.Width;
        state.Binding.Height = view.Height;
        state.Samples = &view;
        return status;
      },
      [&](Memory& memory) {
        sensor::ostrel::WorkingState& state = memory.State;
        result.Width = view.Width;
        result.Height = view.Height;
        state.Levels = {};
        const sensor::ostrel::RunOutcome outcome = sensor::ostrel::Analyse(state, ToStationRecord(params));
        state.Samples = nullptr;  // the view is the caller's: not kept past the call
        const sensor::Rect& w = outcome.MeasurementWindow;
        result.Window = Area{w.Left, w.Top, w.Right, w.Bottom};
        result.Measured = outcome.LevelsTaken;
        if (outcome.LevelsTaken) result.Levels = outcome.Levels;
        result.Status = sensor::StatusOfCode(outcome.Code);
      });
  if (memory_ != nullptr) memory_->State.Samples = nullptr;  // also after a failure on the way
}

OstrelResult AnalyseOstrel(const ImageView& view, const OstrelParams& params, const RunOptions& options) noexcept {
  OstrelAnalyser analyser;
  return analyser.Run(view, params, options);
}

}  // namespace sensordefect
