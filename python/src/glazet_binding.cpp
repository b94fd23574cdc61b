// sensordefect.glazet: package blemishes and the defect map.
#include <cstddef>

#include "frontend/glazetrun/glazet_settings.h"
#include "frontend/glazetrun/glazet_verdicts.h"
#include "python/src/binding_support.h"
#include "python/src/library_bindings.h"
#include "sensordefect/GlazetAnalysis.h"

namespace sensor::python {
namespace {

using namespace sensordefect;
using namespace pybind11::literals;
using Result = GlazetResult;
using ResultPtr = std::shared_ptr<Result>;
using Handle = AnalyserHandle<GlazetAnalyser, GlazetParams, Result>;

bool ResultsRead(const Result& r) { return r.Status.Code == SensorDefectDetectionClass::S_OK; }

frontend::StationFindings FindingsOf(const Result& r) {
  frontend::StationFindings run;
  run.Areas = {{frontend::kScanArea, BoxOf(r.ScanArea)}, {frontend::kRegionOfInterest, BoxOf(r.RegionOfInterest)}};
  if (ResultsRead(r) && r.LevelsMeasured) run.Levels = r.Levels;
  if (!r.Searched) return run;
  frontend::BlemishFindings& blemishes = run.Blemishes.emplace();
  blemishes.Candidates = r.Candidates;
  blemishes.Counted = r.Counted && !r.TooMany;
  blemishes.TooMany = r.TooMany;
  for (const GlazetBlemish& b : r.Blemishes) {
    blemishes.Blemishes.push_back({BoxOf(b.Bounds), b.Pixels, b.CentroidX, b.CentroidY});
  }
  return run;
}

void FillVerdicts(const Result& r, frontend::VerdictTable& values) {
  using namespace glazetrun;
  if (!ResultsRead(r)) return;
  values[kClustersTotal].SetCount(r.BlemishCount);
  if (r.LevelsMeasured) {
    for (std::size_t i = 0; i < 5; ++i) values[kLevelR + i].SetLevel(r.Levels[i]);
  }
}

const py::dtype& BlemishDtype() {
  constexpr std::size_t bounds = offsetof(GlazetBlemish, Bounds);
  static const py::dtype* dtype = new py::dtype(RecordDtype({{"left", "i4", bounds + offsetof(Area, Left)},
                                              {"top", "i4", bounds + offsetof(Area, Top)},
                                              {"right", "i4", bounds + offsetof(Area, Right)},
                                              {"bottom", "i4", bounds + offsetof(Area, Bottom)},
                                              {"pixels", "i8", offsetof(GlazetBlemish, Pixels)},
                                              {"centroid_x", "f8", offsetof(GlazetBlemish, CentroidX)},
                                              {"centroid_y", "f8", offsetof(GlazetBlemish, CentroidY)}},
                                             sizeof(GlazetBlemish)));
  return *dtype;  // kept past the interpreter's end
}

void BindParams(py::module_& m) {
  py::class_<GlazetParams> p(m, "Params", R"(The parameters of a Glazet run (every field an attribute).

The defaults are the shipped example settings: a 10-bit Bayer sensor, the G1
sites, a 5-site window against the 31-site window around it, 6 % threshold.
Params.from_settings(path) reads Glazetrun's settings file.)");
  Field(p, "bayer_mode", &GlazetParams::BayerMode, "Bayer frames (True) or colour frames (False).");
  Field(p, "sensor_bpp", &GlazetParams::SensorBpp, "Bayer mode: the sensor's depth, 8, 10 or 12 bits.");
  Field(p, "test_bpp", &GlazetParams::TestBpp, "Bayer mode: the depth tested, at most sensor_bpp.");
  Field(p, "color_plane", &GlazetParams::ColorPlane, "The colour searched: R 0, G 1, B 2, G1 3, G2 4.");
  Field(p, "outlier_left", &GlazetParams::OutlierLeft, "Margin in pixels left out of the scan area.");
  Field(p, "outlier_top", &GlazetParams::OutlierTop, "Margin in pixels left out of the scan area.");
  Field(p, "outlier_right", &GlazetParams::OutlierRight, "Margin in pixels left out of the scan area.");
  Field(p, "outlier_bottom", &GlazetParams::OutlierBottom, "Margin in pixels left out of the scan area.");
  Field(p, "roi_left", &GlazetParams::RoiLeft, "Region of interest, fraction of the width.");
  Field(p, "roi_top", &GlazetParams::RoiTop, "Region of interest, fraction of the height.");
  Field(p, "roi_right", &GlazetParams::RoiRight, "Region of interest, fraction of the width.");
  Field(p, "roi_bottom", &GlazetParams::RoiBottom, "Region of interest, fraction of the height.");
  Field(p, "local_search", &GlazetParams::LocalSearch, "Local window search (True) or global.");
  Field(p, "hammer_small", &GlazetParams::HammerSmall, "The tested window, sites.");
  Field(p, "hammer_large", &GlazetParams::HammerLarge, "The reference window around it, sites.");
  Field(p, "defect_threshold", &GlazetParams::DefectThreshold, "Threshold in percent (DefectThreshold(%)).");
  Field(p, "cluster_size", &GlazetParams::ClusterSize, "A blemish has more pixels than this.");
  ParamsProtocol(p, "glazet.Params");
  p.def_static(
      "from_settings",
      [](const py::object& path) {
        glazetrun::GlazetSettings settings;
        ReadProgramSettings(PathText(path), glazetrun::GlazetSettingsKeys(settings));
        return FromStationRecord(settings.Params);
      },
      "path"_a,
      "Reads a Glazetrun settings file by the program's own rules (keys it does not know are skipped;\n"
      "what a file leaves unset keeps the program's start value, not this class's default).\n"
      "Raises OSError when the file cannot be read.");
}

void BindResult(py::module_& m) {
  py::class_<Result, ResultPtr> r(m, "Result", R"(What a Glazet run found.

blemishes: read-only numpy structured array with fields left, top, right,
bottom (inclusive bounds), pixels, centroid_x, centroid_y. defect_map: a
read-only (height, width) uint8 array over the result's memory, 255 where a
pixel is a candidate, else 0 (None when the search did not run). to_dict() is
the findings section of Glazetrun's JSON report (-Report) for the same run.)");
  r.def_property_readonly("code", [](const Result& x) { return x.Status.Code; }, "Result code (0: S_OK).");
  r.def_property_readonly("message", [](const Result& x) { return x.Status.Message; }, "Why the code is not 0.");
  r.def_property_readonly("ok", [](const Result& x) { return x.Status.Ok(); });
  r.def_readonly("width", &Result::Width);
  r.def_readonly("height", &Result::Height);
  r.def_property_readonly("scan_area", [](const Result& x) { return AreaTuple(x.ScanArea); },
                          "(left, top, right, bottom), inclusive: the picture less the outlier margins.");
  r.def_property_readonly("region_of_interest", [](const Result& x) { return AreaTuple(x.RegionOfInterest); },
                          "(left, top, right, bottom), inclusive.");
  r.def_readonly("levels_measured", &Result::LevelsMeasured);
  r.def_property_readonly("levels", [](const Result& x) { return LevelTuple(x.Levels); },
                          "Levels R, G, B, G1, G2 over the scan area.");
  r.def_readonly("searched", &Result::Searched);
  r.def_readonly("candidates", &Result::Candidates, "Marked pixels of the defect map.");
  r.def_readonly("too_many", &Result::TooMany, "More candidates than the limit (65535): no blemish counted.");
  r.def_readonly("counted", &Result::Counted);
  r.def_readonly("blemish_count", &Result::BlemishCount, "The program's count of package defects.");
  r.def_property_readonly("blemishes",
                          [](const ResultPtr& x) { return TableArray(BlemishDtype(), x->Blemishes, x); },
                          "Every blemish in the order found (top row first).");
  r.def_property_readonly(
      "defect_map",
      [](const ResultPtr& x) -> py::object {
        if (x->DefectMap.empty() ||
            x->DefectMap.size() != static_cast<std::size_t>(x->Width) * static_cast<std::size_t>(x->Height)) {
          return py::none();
        }
        return OwnedArray(py::dtype::of<std::uint8_t>(), {x->Height, x->Width}, x->DefectMap.data(), x);
      },
      "(height, width) uint8, 255 at candidates; None when the search did not run.");
  BlemishDtype();  // made now, not in a first call racing another thread's
  r.def("to_dict", [](const Result& x) { return FindingsDict(FindingsOf(x)); },
        "The findings section of Glazetrun's JSON report for the same run.");
  r.def("__repr__", [](const Result& x) {
    return "glazet.Result(code=" + std::to_string(x.Status.Code) + ", " + std::to_string(x.Width) + "x" +
           std::to_string(x.Height) + ", candidates=" + std::to_string(x.Candidates) +
           ", blemish_count=" + std::to_string(x.BlemishCount) + ")";
  });
}

}  // namespace

void BindGlazet(py::module_& parent) {
  py::module_ m = parent.def_submodule("glazet", "Glazet: package blemishes and the defect map of a frame.");
  BindParams(m);
  BindResult(m);
  BindAnalyser<Handle, GlazetParams>(m, "Glazet");
  m.def("analyse", &AnalyseOnce<GlazetAnalyser, GlazetParams, Result>, "frame"_a, py::arg_v("params", GlazetParams{}, "Params()"),
        "threads"_a = py::none(), "channel_order"_a = "rgb", kAnalyseDoc);
  m.def(
      "judge",
      [](const Result& r, const py::object& limits) {
        return JudgeAgainstLimits(PathText(limits), glazetrun::GlazetLimitsRules(), glazetrun::GlazetVerdicts(),
                                  r.Status.Code, [&r](frontend::VerdictTable& t) { FillVerdicts(r, t); });
      },
      "result"_a, "limits"_a, kJudgeDoc);
}

}  // namespace sensor::python
