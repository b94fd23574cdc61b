#include "frontend/products/json_report.h"

#include <cmath>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "frontend/products/shortest_json.h"
#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kColourNames[5] = {"R", "G", "B", "G1", "G2"};

// A number, or null for one that JSON cannot hold (not a number, infinite).
Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

// A setting's value: whole numbers as integers, others as Number.
Json SettingValue(double value) {
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.0e15) {
    return Json(static_cast<std::int64_t>(value));
  }
  return Number(value);
}

Json Path(const std::optional<std::string>& path) { return path ? Json(*path) : Json(nullptr); }

Json Box(const FindingBox& box) {
  return Json{{"left", box.Left}, {"top", box.Top}, {"right", box.Right}, {"bottom", box.Bottom}};
}

Json Pixel(const PixelFinding& p) {
  Json pixel{{"x", p.X}, {"y", p.Y}, {"colour", p.Colour}, {"score", Number(p.Score)}};
  if (p.Hot) pixel["kind"] = *p.Hot ? "hot" : "dark";
  return pixel;
}

Json Pixels(const std::vector<PixelFinding>& pixels) {
  Json list = Json::array();
  for (const PixelFinding& p : pixels) list.push_back(Pixel(p));
  return list;
}

Json Paths(const StationFindings& run) {
  const RunPaths& p = run.Paths;
  return Json{{"statusFile", Path(p.StatusFile)},       {"settingsFile", Path(p.SettingsFile)},
              {"limitsFile", Path(p.LimitsFile)},       {"logFile", Path(p.LogFile)},
              {"picture", Path(p.Picture)},             {"outputFolder", Path(p.OutputFolder)},
              {"runFolder", run.OutputFolder},          {"rawLayout", Path(p.RawLayout)},
              {"report", Path(p.Products.Report)},      {"reviewImage", Path(p.Products.ReviewImage)},
              {"defectMapPNG", Path(p.Products.DefectMapPng)}, {"defectList", Path(p.Products.DefectList)}};
}

Json Settings(const std::vector<SettingFact>& settings) {
  Json object = Json::object();
  for (const SettingFact& s : settings) {
    if (s.Switch && s.Values.size() == 1) {
      object[s.Name] = s.Values[0] != 0.0;
    } else if (s.Values.size() == 1) {
      object[s.Name] = SettingValue(s.Values[0]);
    } else {
      Json values = Json::array();
      for (double v : s.Values) values.push_back(SettingValue(v));
      object[s.Name] = std::move(values);
    }
  }
  return object;
}

Json Verdicts(const StationFindings& run) {
  const bool judged = run.Judged;
  Json list = Json::array();
  for (const JudgedValue& v : run.Values) {
    list.push_back(Json{{"label", v.Label},
                        {"unit", v.Unit},
                        {"low", judged ? Json(v.Low) : Json(nullptr)},
                        {"high", judged ? Json(v.High) : Json(nullptr)},
                        {"value", v.Count ? Json(static_cast<std::int32_t>(v.Value)) : Number(v.Value)},
                        {"pass", judged ? Json(!v.Fails) : Json(nullptr)}});
  }
  return list;
}

Json Findings(const StationFindings& run) {
  Json findings = Json::object();
  Json areas = Json::array();
  for (const NamedArea& area : run.Areas) {
    Json entry{{"name", area.Name}};
    entry.update(Box(area.Box));
    areas.push_back(std::move(entry));
  }
  findings["areas"] = std::move(areas);
  if (run.Levels) {
    Json levels = Json::object();
    for (std::size_t i = 0; i < 5; ++i) levels[kColourNames[i]] = Number((*run.Levels)[i]);
    findings["levels"] = std::move(levels);
  }
  if (run.Dimensions) {
    findings["dimensions"] = Json{{"width", run.Dimensions->Width}, {"height", run.Dimensions->Height}};
  }
  if (run.PixelDefects) {
    const PixelDefectFindings& p = *run.PixelDefects;
    Json clusters = Json::array();
    for (const CountedCluster& c : p.Clusters) {
      Json entry = Pixel(c.Peak);
      entry["members"] = c.Members;
      clusters.push_back(std::move(entry));
    }
    findings["pixelDefects"] = Json{
        {"stopped", p.Stopped},
        {"counts",
         Json{{"centreClusters", p.CenterClusters},
              {"sideClusters", p.SideClusters},
              {"totalClusters", std::int64_t{p.CenterClusters} + p.SideClusters},
              {"centrePixels", p.CenterPixels},
              {"sidePixels", p.SidePixels},
              {"totalPixels", std::int64_t{p.CenterPixels} + p.SidePixels}}},
        {"candidates", Pixels(p.Candidates)},
        {"worstPixels", Pixels(p.WorstPixels)},
        {"clusters", std::move(clusters)}};
  }
  if (run.Blemishes) {
    const BlemishFindings& b = *run.Blemishes;
    Json blemishes = Json::array();
    for (const CountedBlemish& f : b.Blemishes) {
      blemishes.push_back(Json{{"bounds", Box(f.Bounds)},
                               {"pixels", f.Pixels},
                               {"centroidX", Number(f.CentroidX)},
                               {"centroidY", Number(f.CentroidY)}});
    }
    findings["blemishes"] = Json{{"candidates", b.Candidates},
                                 {"counted", b.Counted},
                                 {"tooMany", b.TooMany},
                                 {"clusters", std::move(blemishes)}};
  }
  return findings;
}

// Levels as the file states them: whole numbers as integers.
Json Numbers(const std::vector<double>& values) {
  Json list = Json::array();
  for (double v : values) list.push_back(SettingValue(v));
  return list;
}

}  // namespace

std::string FormatJsonReport(const StationFindings& run) {
  Json picture =
      run.Picture == nullptr
          ? Json(nullptr)
          : Json{{"width", run.Width},
                 {"height", run.Height},
                 {"bitCount", run.BitCount},
                 {"mode", run.Mode.BayerMode ? "bayer" : "colour"},
                 {"sensorBpp", run.Mode.SensorBpp}};
  if (run.Picture != nullptr && run.Picture->Dng) {
    picture["blackLevel"] = Numbers(run.Picture->Dng->Black);
    picture["whiteLevel"] = Numbers(run.Picture->Dng->White);
  }
  const Json document{
      {"program", run.Program},
      {"library", Json{{"file", run.LibraryFile},
                       {"version", run.LibraryVersion.empty() ? Json(nullptr) : Json(run.LibraryVersion)}}},
      {"paths", Paths(run)},
      {"settings", Settings(run.Settings)},
      {"picture", picture},
      {"result", Json{{"code", run.Code},
                      {"hex", Format("0x%08X", static_cast<std::uint32_t>(run.Code))},
                      {"text", run.CodeText}}},
      {"verdicts", Verdicts(run)},
      {"status", Json{{"passed", run.Status == 0}, {"status", run.Status}, {"message", run.Message}}},
      {"findings", Findings(run)},
      {"outcome", Json{{"class", RunClassName(run.Class)},
                       {"reason", run.Class == RunClass::Pass ? Json(nullptr) : Json(run.Reason)}}}};
  // Texts that are not valid UTF-8 (paths are bytes) are written with U+FFFD;
  // numbers as the shortest decimal that reads back the same.
  return ShortestJson(document, 2) + "\n";
}

std::string FormatJsonFindings(const StationFindings& run) {
  return Findings(run).dump(-1, ' ', false, Json::error_handler_t::replace);
}

RunProduct JsonReportProduct() {
  return RunProduct{"Report", &ProductPaths::Report, {".json"},
                    [](const StationFindings& run, const std::string&, std::string&) -> std::optional<std::string> {
                      return FormatJsonReport(run);
                    }};
}

}  // namespace sensor::frontend
