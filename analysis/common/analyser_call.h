// The frame every in-memory analyser's Run shares: the result cleared (its
// memory kept), the parameters' problem refused, the working memory made on
// first use, the call's threads and cancel flag in force, the view bound, the
// analysis run, and its findings dropped when the caller cancelled on the way.
// Whatever the steps throw becomes the result's status: nothing leaves Run.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "common/guarded.h"
#include "common/parallel_rows.h"
#include "common/view_binding.h"
#include "sensordefect/ImageView.h"

namespace sensor {

// `clear(result)` empties the result; `bind(memory)` checks and binds the
// view, giving its status; `analyse(memory)` runs the analysis and fills the
// result, its status included.
template <class Memory, class Result, class Clear, class Bind, class Analyse>
void RunAnalyserCall(std::unique_ptr<Memory>& memory, Result& result, std::string problem,
                     const sensordefect::RunOptions& options, const Clear& clear, const Bind& bind,
                     const Analyse& analyse) noexcept {
  using namespace SensorDefectDetectionClass;
  const ResultCode code = Guarded([&]() -> ResultCode {
    clear(result);
    if (!problem.empty()) {
      result.Status = Refused(std::move(problem));
      return S_OK;
    }
    if (memory == nullptr) memory = std::make_unique<Memory>();
    const CallScope scope({options.Threads, options.Cancel});
    result.Status = bind(*memory);
    if (!result.Status.Ok()) return S_OK;
    if (!CallCancelled()) analyse(*memory);
    if (CallCancelled()) {
      clear(result);
      result.Status = CancelledStatus();
    }
    return S_OK;
  });
  if (code != S_OK) {
    clear(result);
    SetFailure(result.Status, code);
  }
}

}  // namespace sensor
