// The compiled part of the Python package sensordefect: one submodule per
// analysis library, the verdicts of a limits file and the picture reader.
#include <chrono>

#include "python/src/binding_support.h"
#include "python/src/library_bindings.h"
#include "sensordefect/GlazetAnalysis.h"
#include "sensordefect/OstrelAnalysis.h"
#include "sensordefect/WaferonAnalysis.h"

namespace sensor::python {
namespace {

using namespace pybind11::literals;

void BindVerdictTypes(py::module_& m) {
  py::class_<Verdict>(m, "Verdict", "One judged value: label, unit, limits, value and whether it passed.")
      .def_readonly("label", &Verdict::Label)
      .def_readonly("unit", &Verdict::Unit)
      .def_readonly("low", &Verdict::Low)
      .def_readonly("high", &Verdict::High)
      .def_readonly("value", &Verdict::Value, "An int for a count, a float for a level.")
      .def_readonly("text", &Verdict::Text, "The value as the status file writes it.")
      .def_readonly("passed", &Verdict::Passed)
      .def("__repr__", [](const Verdict& v) {
        return "Verdict(" + v.Label + "=" + v.Text + " in [" + std::to_string(v.Low) + ", " +
               std::to_string(v.High) + "]: " + (v.Passed ? "pass" : "FAIL") + ")";
      });
  py::class_<Judgement>(m, "Verdicts", R"(A result judged against a limits file, as the program's status file shows it.

entries: the judged values in the program's order; status: 0 passed, 1 failed;
code: the run's result code (E_FAIL when a value failed); message: the failing
values "label=value,...", else the code's text.)")
      .def_readonly("entries", &Judgement::Entries)
      .def_readonly("code", &Judgement::Code)
      .def_readonly("status", &Judgement::Status)
      .def_readonly("message", &Judgement::Message)
      .def_property_readonly("passed", &Judgement::Passed)
      .def("__len__", [](const Judgement& j) { return j.Entries.size(); })
      .def("__iter__", [](const Judgement& j) { return py::iter(py::cast(j.Entries)); })
      .def("__repr__", [](const Judgement& j) {
        return std::string("Verdicts(") + (j.Passed() ? "passed" : "failed: " + j.Message) + ")";
      });
}

// Seconds of each of `repeats` calls of the C++ API on one analyser and one
// result, after one call that is not timed (the analyser's working memory is
// then in place, as for a Python analyser called before), for the benchmark
// that compares a call from Python with it.
template <class Analyser, class Params, class Result>
std::vector<double> TimeNativeRuns(const py::object& frameObject, const Params& params, int repeats,
                                   const py::object& threads, const std::string& channelOrder) {
  const Frame frame = FrameArgument(frameObject, channelOrder);
  const sensordefect::RunOptions options = OptionsOf(threads);
  std::vector<double> seconds;
  Analyser analyser;
  Result result;
  {
    py::gil_scoped_release released;
    analyser.Run(frame.View, params, options, result);
    for (int i = 0; i < repeats; ++i) {
      const auto start = std::chrono::steady_clock::now();
      analyser.Run(frame.View, params, options, result);
      seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  }
  RaiseForStatus(result.Status);
  return seconds;
}

}  // namespace
}  // namespace sensor::python

PYBIND11_MODULE(_sensordefect, m) {
  using namespace sensor::python;
  using namespace sensordefect;
  m.doc() = "Camera sensor tests on frames held in memory (see the package sensordefect).";
  // numpy's C interface is looked up on first use inside a function-local
  // static, whose import can let another thread in: two threads reaching it at
  // once would each wait for the other (one for the static, one for the
  // interpreter lock). Look it up now, while the import holds the lock.
  pybind11::detail::npy_api::get();
  BindVerdictTypes(m);
  BindWaferon(m);
  BindGlazet(m);
  BindOstrel(m);
  BindPictures(m);
  m.def("_time_native_runs", &TimeNativeRuns<WaferonAnalyser, WaferonParams, WaferonResult>, "frame"_a, "params"_a,
        "repeats"_a, "threads"_a = py::none(), "channel_order"_a = "rgb");
  m.def("_time_native_runs", &TimeNativeRuns<GlazetAnalyser, GlazetParams, GlazetResult>, "frame"_a, "params"_a,
        "repeats"_a, "threads"_a = py::none(), "channel_order"_a = "rgb");
  m.def("_time_native_runs", &TimeNativeRuns<OstrelAnalyser, OstrelParams, OstrelResult>, "frame"_a, "params"_a,
        "repeats"_a, "threads"_a = py::none(), "channel_order"_a = "rgb",
        "Seconds of each of `repeats` C++ API calls on one reused analyser (for bench/).");
}
