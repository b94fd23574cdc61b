// sensordefect.waferon: defective pixels and clusters.
#include <cstddef>

#include "frontend/waferonrun/waferon_settings.h"
#include "frontend/waferonrun/waferon_verdicts.h"
#include "python/src/binding_support.h"
#include "python/src/library_bindings.h"
#include "sensordefect/WaferonAnalysis.h"

namespace sensor::python {
namespace {

using namespace sensordefect;
using namespace pybind11::literals;
using Result = WaferonResult;
using ResultPtr = std::shared_ptr<Result>;
using Handle = AnalyserHandle<WaferonAnalyser, WaferonParams, Result>;

// The codes after which the program reads a run's counts and levels.
bool ResultsRead(const Result& r) {
  return r.Status.Code == SensorDefectDetectionClass::S_OK || r.Status.Code == SensorDefectDetectionClass::E_ABORT;
}

frontend::PixelFinding PixelOf(const WaferonCandidate& c) { return {c.X, c.Y, c.Score, c.Colour, {}}; }

frontend::StationFindings FindingsOf(const Result& r) {
  frontend::StationFindings run;
  run.Areas = {{frontend::kScanArea, BoxOf(r.SearchRegion)}, {frontend::kCentreZone, BoxOf(r.CenterZone)}};
  if (ResultsRead(r) && r.LevelsMeasured) run.Levels = r.Levels;
  if (!r.Finished) return run;
  frontend::PixelDefectFindings& pixels = run.PixelDefects.emplace();
  pixels.Stopped = r.Stopped;
  for (const WaferonCandidate& c : r.Candidates) {
    pixels.Candidates.push_back(PixelOf(c));
    pixels.Candidates.back().Hot = c.Hot;
  }
  for (const WaferonCandidate& c : r.WorstPixels) pixels.WorstPixels.push_back(PixelOf(c));
  for (const WaferonCluster& c : r.Clusters) pixels.Clusters.push_back({{c.X, c.Y, c.Score, c.Colour, {}}, c.Members});
  pixels.CenterClusters = r.Counts.CenterClusters;
  pixels.SideClusters = r.Counts.SideClusters;
  pixels.CenterPixels = r.Counts.CenterPixels;
  pixels.SidePixels = r.Counts.SidePixels;
  return run;
}

void FillVerdicts(const Result& r, frontend::VerdictTable& values) {
  using namespace waferonrun;
  if (!ResultsRead(r)) return;
  values[kClustersCenter].SetCount(r.Counts.CenterClusters);
  values[kClustersSide].SetCount(r.Counts.SideClusters);
  values[kClustersTotal].SetCount(r.Counts.CenterClusters + r.Counts.SideClusters);
  values[kPixelsCenter].SetCount(r.Counts.CenterPixels);
  values[kPixelsSide].SetCount(r.Counts.SidePixels);
  values[kPixelsTotal].SetCount(r.Counts.CenterPixels + r.Counts.SidePixels);
  if (r.LevelsMeasured) {
    for (std::size_t i = 0; i < 5; ++i) values[kLevelR + i].SetLevel(r.Levels[i]);
  }
}

const py::dtype& CandidateDtype() {
  static const py::dtype* dtype = new py::dtype(RecordDtype({{"x", "i4", offsetof(WaferonCandidate, X)},
                                              {"y", "i4", offsetof(WaferonCandidate, Y)},
                                              {"score", "f8", offsetof(WaferonCandidate, Score)},
                                              {"colour", "i4", offsetof(WaferonCandidate, Colour)},
                                              {"hot", "?", offsetof(WaferonCandidate, Hot)}},
                                             sizeof(WaferonCandidate)));
  return *dtype;  // kept past the interpreter's end
}

const py::dtype& ClusterDtype() {
  static const py::dtype* dtype = new py::dtype(RecordDtype({{"x", "i4", offsetof(WaferonCluster, X)},
                                              {"y", "i4", offsetof(WaferonCluster, Y)},
                                              {"score", "f8", offsetof(WaferonCluster, Score)},
                                              {"colour", "i4", offsetof(WaferonCluster, Colour)},
                                              {"members", "i4", offsetof(WaferonCluster, Members)}},
                                             sizeof(WaferonCluster)));
  return *dtype;
}

void BindParams(py::module_& m) {
  py::class_<WaferonParams> p(m, "Params", R"(The parameters of a Waferon run (every field an attribute).

The defaults are the shipped example settings: a 10-bit Bayer sensor tested at
10 bits, local search. Params.from_settings(path) reads Waferonrun's settings file.)");
  Field(p, "bayer_mode", &WaferonParams::BayerMode, "Bayer frames (True) or colour frames (False).");
  Field(p, "sensor_bpp", &WaferonParams::SensorBpp, "Bayer mode: the sensor's depth, 8, 10 or 12 bits.");
  Field(p, "test_bpp", &WaferonParams::TestBpp, "Bayer mode: the depth tested, 8, 10 or 12, at most sensor_bpp.");
  Field(p, "outlier_left", &WaferonParams::OutlierLeft, "Margin in pixels left out of the search region.");
  Field(p, "outlier_top", &WaferonParams::OutlierTop, "Margin in pixels left out of the search region.");
  Field(p, "outlier_right", &WaferonParams::OutlierRight, "Margin in pixels left out of the search region.");
  Field(p, "outlier_bottom", &WaferonParams::OutlierBottom, "Margin in pixels left out of the search region.");
  Field(p, "center_left", &WaferonParams::CenterLeft, "Centre zone, fraction of the width.");
  Field(p, "center_top", &WaferonParams::CenterTop, "Centre zone, fraction of the height.");
  Field(p, "center_right", &WaferonParams::CenterRight, "Centre zone, fraction of the width.");
  Field(p, "center_bottom", &WaferonParams::CenterBottom, "Centre zone, fraction of the height.");
  Field(p, "local_search", &WaferonParams::LocalSearch,
        "Reference of a pixel: its local window's mean (True) or the region's level.");
  Field(p, "count_pixels", &WaferonParams::CountPixels, "Count single defective pixels.");
  Field(p, "find_clusters", &WaferonParams::FindClusters, "Count clusters.");
  Field(p, "cluster_size", &WaferonParams::ClusterSize, "Members a cluster needs.");
  Field(p, "hammer_size", &WaferonParams::HammerSize, "Local search window, pixels.");
  FiveField(p, "center_cluster_threshold", &WaferonParams::CenterClusterThreshold, "Thresholds R, G, B, G1, G2.");
  FiveField(p, "side_cluster_threshold", &WaferonParams::SideClusterThreshold, "Thresholds R, G, B, G1, G2.");
  FiveField(p, "center_pixel_threshold", &WaferonParams::CenterPixelThreshold, "Thresholds R, G, B, G1, G2.");
  FiveField(p, "side_pixel_threshold", &WaferonParams::SidePixelThreshold, "Thresholds R, G, B, G1, G2.");
  Field(p, "threshold_percent", &WaferonParams::ThresholdPercent,
        "Thresholds in percent of the reference (True) or in sample counts.");
  FiveField(p, "enabled", &WaferonParams::Enabled, "Colours the Bayer local search tests: R, G, B, G1, G2.");
  Field(p, "table_size", &WaferonParams::TableSize, "Entries of the worst-pixel and cluster tables (0: none).");
  ParamsProtocol(p, "waferon.Params");
  p.def_static(
      "from_settings",
      [](const py::object& path) {
        waferonrun::WaferonSettings settings;
        ReadProgramSettings(PathText(path), waferonrun::WaferonSettingsKeys(settings));
        WaferonParams params = FromStationRecord(settings.Params);
        for (std::size_t i = 0; i < 5; ++i) params.Enabled[i] = settings.ColorUnderTest[i] != 0;
        params.TableSize = 64;  // as Waferonrun sets it
        return params;
      },
      "path"_a,
      "Reads a Waferonrun settings file by the program's own rules (keys it does not know are skipped;\n"
      "what a file leaves unset keeps the program's start value, not this class's default).\n"
      "Raises OSError when the file cannot be read.");
}

void BindResult(py::module_& m) {
  py::class_<Result, ResultPtr> r(m, "Result", R"(What a Waferon run found.

Tables are read-only numpy structured arrays over the result's memory:
candidates, worst_pixels and cluster_table with fields x, y, score, colour
(R 0, G 1, B 2, G1 3, G2 4) and hot (above its reference; else dark); clusters
with x, y, score, colour, members. to_dict() is the findings section of
Waferonrun's JSON report (-Report) for the same run.)");
  r.def_property_readonly("code", [](const Result& x) { return x.Status.Code; }, "Result code (0: S_OK).");
  r.def_property_readonly("message", [](const Result& x) { return x.Status.Message; }, "Why the code is not 0.");
  r.def_property_readonly("ok", [](const Result& x) { return x.Status.Ok(); });
  r.def_readonly("width", &Result::Width);
  r.def_readonly("height", &Result::Height);
  r.def_property_readonly("search_region", [](const Result& x) { return AreaTuple(x.SearchRegion); },
                          "(left, top, right, bottom), inclusive: the picture less the outlier margins.");
  r.def_property_readonly("center_zone", [](const Result& x) { return AreaTuple(x.CenterZone); },
                          "(left, top, right, bottom), inclusive.");
  r.def_readonly("levels_measured", &Result::LevelsMeasured);
  r.def_property_readonly("levels", [](const Result& x) { return LevelTuple(x.Levels); },
                          "Levels R, G, B, G1, G2 over the search region.");
  r.def_readonly("finished", &Result::Finished, "The run came to its end (completed or stopped).");
  r.def_readonly("stopped", &Result::Stopped, "Stopped on the candidate limit (65535).");
  r.def_property_readonly("center_clusters", [](const Result& x) { return x.Counts.CenterClusters; });
  r.def_property_readonly("center_pixels", [](const Result& x) { return x.Counts.CenterPixels; });
  r.def_property_readonly("side_clusters", [](const Result& x) { return x.Counts.SideClusters; });
  r.def_property_readonly("side_pixels", [](const Result& x) { return x.Counts.SidePixels; });
  r.def_property_readonly("candidates",
                          [](const ResultPtr& x) { return TableArray(CandidateDtype(), x->Candidates, x); },
                          "Every candidate in scan order: x, y, score, colour, hot.");
  r.def_property_readonly("worst_pixels",
                          [](const ResultPtr& x) { return TableArray(CandidateDtype(), x->WorstPixels, x); },
                          "The sorted worst-pixel table.");
  r.def_property_readonly("cluster_table",
                          [](const ResultPtr& x) { return TableArray(CandidateDtype(), x->ClusterTable, x); },
                          "The sorted cluster table.");
  r.def_property_readonly("clusters", [](const ResultPtr& x) { return TableArray(ClusterDtype(), x->Clusters, x); },
                          "Every counted cluster: its peak x, y, score, colour and its members.");
  CandidateDtype();  // made now, not in a first call racing another thread's
  ClusterDtype();
  r.def("to_dict", [](const Result& x) { return FindingsDict(FindingsOf(x)); },
        "The findings section of Waferonrun's JSON report for the same run.");
  r.def("__repr__", [](const Result& x) {
    return "waferon.Result(code=" + std::to_string(x.Status.Code) + ", " + std::to_string(x.Width) + "x" +
           std::to_string(x.Height) + ", center_clusters=" + std::to_string(x.Counts.CenterClusters) +
           ", side_clusters=" + std::to_string(x.Counts.SideClusters) +
           ", center_pixels=" + std::to_string(x.Counts.CenterPixels) +
           ", side_pixels=" + std::to_string(x.Counts.SidePixels) + ")";
  });
}

}  // namespace

void BindWaferon(py::module_& parent) {
  py::module_ m = parent.def_submodule("waferon", "Waferon: defective pixels and clusters of a frame.");
  BindParams(m);
  BindResult(m);
  BindAnalyser<Handle, WaferonParams>(m, "Waferon");
  m.def("analyse", &AnalyseOnce<WaferonAnalyser, WaferonParams, Result>, "frame"_a, py::arg_v("params", WaferonParams{}, "Params()"),
        "threads"_a = py::none(), "channel_order"_a = "rgb", kAnalyseDoc);
  m.def(
      "judge",
      [](const Result& r, const py::object& limits) {
        return JudgeAgainstLimits(PathText(limits), waferonrun::WaferonLimitsRules(), waferonrun::WaferonVerdicts(),
                                  r.Status.Code, [&r](frontend::VerdictTable& t) { FillVerdicts(r, t); });
      },
      "result"_a, "limits"_a, kJudgeDoc);
}

}  // namespace sensor::python
