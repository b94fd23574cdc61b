// Ostrel in memory: the analyser over the one measurement (pipeline.h), and
// its result as a value.
#include <new>
#include <string>

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
  const ResultCode code = sensor::Guarded([&]() -> ResultCode {
    result = OstrelResult{};
    std::string problem = sensor::MarginProblem(params.OutlierLeft, params.OutlierTop, params.OutlierRight,
                                                params.OutlierBottom);
    if (problem.empty()) problem = sensor::DepthProblem(params.BayerMode, params.SensorBpp, params.TestBpp);
    if (problem.empty()) problem = sensor::ThreadsProblem(options.Threads);
    if (!problem.empty()) {
      result.Status = sensor::Refused(std::move(problem));
      return S_OK;
    }
    if (memory_ == nullptr) memory_ = std::make_unique<Memory>();
    sensor::ostrel::WorkingState& state = memory_->State;
    const sensor::CallScope scope({options.Threads, options.Cancel});
    result.Status = sensor::BindView(view, {params.BayerMode, params.SensorBpp}, memory_->Pixels, state.Binding);
    if (!result.Status.Ok()) return S_OK;
    result.Width = view.Width;
    result.Height = view.Height;
    state.Levels = {};
    const sensor::ostrel::RunOutcome outcome = sensor::ostrel::Analyse(state, ToStationRecord(params));
    if (sensor::CallCancelled()) {
      result = OstrelResult{};
      result.Status = sensor::CancelledStatus();
      return S_OK;
    }
    const sensor::Rect& w = outcome.MeasurementWindow;
    result.Window = Area{w.Left, w.Top, w.Right, w.Bottom};
    result.Measured = outcome.LevelsTaken;
    if (outcome.LevelsTaken) result.Levels = outcome.Levels;
    result.Status = sensor::StatusOfCode(outcome.Code);
    return S_OK;
  });
  if (code != S_OK) {
    result.Width = result.Height = 0;
    result.Measured = false;
    result.Levels = {};
    sensor::SetFailure(result.Status, code);
  }
}

OstrelResult AnalyseOstrel(const ImageView& view, const OstrelParams& params, const RunOptions& options) noexcept {
  OstrelAnalyser analyser;
  return analyser.Run(view, params, options);
}

}  // namespace sensordefect
