// sensordefect.ostrel: the five levels and the dimensions of a frame.
#include <cstddef>

#include "frontend/ostrelrun/ostrel_settings.h"
#include "frontend/ostrelrun/ostrel_verdicts.h"
#include "python/src/binding_support.h"
#include "python/src/library_bindings.h"
#include "sensordefect/OstrelAnalysis.h"

namespace sensor::python {
namespace {

using namespace sensordefect;
using namespace pybind11::literals;
using Result = OstrelResult;
using ResultPtr = std::shared_ptr<Result>;
using Handle = AnalyserHandle<OstrelAnalyser, OstrelParams, Result>;

bool ResultsRead(const Result& r) {
  return r.Status.Code == SensorDefectDetectionClass::S_OK || r.Status.Code == SensorDefectDetectionClass::E_ABORT;
}

frontend::StationFindings FindingsOf(const Result& r) {
  frontend::StationFindings run;
  run.Areas = {{frontend::kScanArea, BoxOf(r.Window)}};
  if (ResultsRead(r)) {
    if (r.Measured) run.Levels = r.Levels;
    run.Dimensions = frontend::SensorDimensions{r.Width, r.Height};
  }
  return run;
}

void FillVerdicts(const Result& r, frontend::VerdictTable& values) {
  using namespace ostrelrun;
  if (!ResultsRead(r)) return;
  if (r.Measured) {
    for (std::size_t i = 0; i < 5; ++i) values[kLevelR + i].SetLevel(r.Levels[i]);
  }
  values[kWidth].SetCount(r.Width);
  values[kHeight].SetCount(r.Height);
}

void BindParams(py::module_& m) {
  py::class_<OstrelParams> p(m, "Params", R"(The parameters of an Ostrel run (every field an attribute).

The defaults are the shipped example settings: a 10-bit Bayer sensor, two-pixel
margins. Params.from_settings(path) reads Ostrelrun's settings file.)");
  Field(p, "bayer_mode", &OstrelParams::BayerMode, "Bayer frames (True) or colour frames (False).");
  Field(p, "sensor_bpp", &OstrelParams::SensorBpp, "Bayer mode: the sensor's depth, 8, 10 or 12 bits.");
  Field(p, "test_bpp", &OstrelParams::TestBpp, "Bayer mode: the depth tested, at most sensor_bpp.");
  Field(p, "outlier_left", &OstrelParams::OutlierLeft, "Margin in pixels left out of the window.");
  Field(p, "outlier_top", &OstrelParams::OutlierTop, "Margin in pixels left out of the window.");
  Field(p, "outlier_right", &OstrelParams::OutlierRight, "Margin in pixels left out of the window.");
  Field(p, "outlier_bottom", &OstrelParams::OutlierBottom, "Margin in pixels left out of the window.");
  Field(p, "roi_left", &OstrelParams::RoiLeft, "Region of interest, fraction of the width.");
  Field(p, "roi_top", &OstrelParams::RoiTop, "Region of interest, fraction of the height.");
  Field(p, "roi_right", &OstrelParams::RoiRight, "Region of interest, fraction of the width.");
  Field(p, "roi_bottom", &OstrelParams::RoiBottom, "Region of interest, fraction of the height.");
  ParamsProtocol(p, "ostrel.Params");
  p.def_static(
      "from_settings",
      [](const py::object& path) {
        ostrelrun::OstrelSettings settings;
        ReadProgramSettings(PathText(path), ostrelrun::OstrelSettingsKeys(settings));
        return FromStationRecord(settings.Params);
      },
      "path"_a,
      "Reads an Ostrelrun settings file by the program's own rules (keys it does not know are skipped;\n"
      "what a file leaves unset keeps the program's start value, not this class's default).\n"
      "Raises OSError when the file cannot be read.");
}

void BindResult(py::module_& m) {
  py::class_<Result, ResultPtr> r(m, "Result", R"(The levels and dimensions an Ostrel run measured.

to_dict() is the findings section of Ostrelrun's JSON report (-Report) for the
same run.)");
  r.def_property_readonly("code", [](const Result& x) { return x.Status.Code; }, "Result code (0: S_OK).");
  r.def_property_readonly("message", [](const Result& x) { return x.Status.Message; }, "Why the code is not 0.");
  r.def_property_readonly("ok", [](const Result& x) { return x.Status.Ok(); });
  r.def_readonly("width", &Result::Width);
  r.def_readonly("height", &Result::Height);
  r.def_property_readonly("window", [](const Result& x) { return AreaTuple(x.Window); },
                          "(left, top, right, bottom), inclusive: the picture less the outlier margins.");
  r.def_readonly("measured", &Result::Measured);
  r.def_property_readonly("levels", [](const Result& x) { return LevelTuple(x.Levels); },
                          "Levels R, G, B, G1, G2 over the window.");
  r.def("to_dict", [](const Result& x) { return FindingsDict(FindingsOf(x)); },
        "The findings section of Ostrelrun's JSON report for the same run.");
  r.def("__repr__", [](const Result& x) {
    return "ostrel.Result(code=" + std::to_string(x.Status.Code) + ", " + std::to_string(x.Width) + "x" +
           std::to_string(x.Height) + ")";
  });
}

}  // namespace

void BindOstrel(py::module_& parent) {
  py::module_ m = parent.def_submodule("ostrel", "Ostrel: the five levels and the dimensions of a frame.");
  BindParams(m);
  BindResult(m);
  BindAnalyser<Handle, OstrelParams>(m, "Ostrel");
  m.def("analyse", &AnalyseOnce<OstrelAnalyser, OstrelParams, Result>, "frame"_a, py::arg_v("params", OstrelParams{}, "Params()"),
        "threads"_a = py::none(), "channel_order"_a = "rgb", kAnalyseDoc);
  m.def(
      "judge",
      [](const Result& r, const py::object& limits) {
        return JudgeAgainstLimits(PathText(limits), ostrelrun::OstrelLimitsRules(), ostrelrun::OstrelVerdicts(),
                                  r.Status.Code, [&r](frontend::VerdictTable& t) { FillVerdicts(r, t); });
      },
      "result"_a, "limits"_a, kJudgeDoc);
}

}  // namespace sensor::python
