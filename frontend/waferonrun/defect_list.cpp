#include "frontend/waferonrun/defect_list.h"

#include <cstdint>
#include <unordered_set>

#include "frontend/common/shortest_decimal.h"
#include "frontend/common/text_format.h"

namespace sensor::waferonrun {
namespace {

using frontend::PixelFinding;

std::uint64_t Key(std::int64_t x, std::int64_t y) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32 | static_cast<std::uint32_t>(y);
}

const char* ColourName(std::int32_t colour) {
  static constexpr const char* kNames[5] = {"R", "G", "B", "G1", "G2"};
  return colour >= 0 && colour < 5 ? kNames[colour] : "?";
}

bool EndsWithNoCase(const std::string& text, const char* ending) {
  const std::string_view tail(ending);
  return text.size() >= tail.size() &&
         frontend::StartsWithNoCase(std::string_view(text).substr(text.size() - tail.size()), tail);
}

}  // namespace

std::string FormatBadPixelList(const frontend::PixelDefectFindings& defects) {
  std::unordered_set<std::uint64_t> listed;
  std::string text;
  for (const PixelFinding& p : defects.Candidates) {
    if (!listed.insert(Key(p.X, p.Y)).second) continue;
    text += frontend::Format("%ld %ld 0\n", static_cast<long>(p.X), static_cast<long>(p.Y));
  }
  return text;
}

std::string FormatDefectCsv(const frontend::PixelDefectFindings& defects, bool bayer) {
  // Candidates by position and colour, for the neighbour rule.
  std::unordered_set<std::uint64_t> positions[5];
  for (const PixelFinding& p : defects.Candidates) {
    if (p.Colour >= 0 && p.Colour < 5) positions[p.Colour].insert(Key(p.X, p.Y));
  }
  const std::int64_t step = bayer ? 2 : 1;
  std::string text = "x,y,colour,score,class,kind\n";
  for (const PixelFinding& p : defects.Candidates) {
    bool neighbour = false;
    for (std::int64_t dy = -step; dy <= step && !neighbour && p.Colour >= 0 && p.Colour < 5; dy += step) {
      for (std::int64_t dx = -step; dx <= step && !neighbour; dx += step) {
        neighbour = (dx != 0 || dy != 0) && positions[p.Colour].count(Key(p.X + dx, p.Y + dy)) != 0;
      }
    }
    const char* kind = !p.Hot ? "" : *p.Hot ? "hot" : "dark";
    text += frontend::Format("%ld,%ld,%s,%s,%s,%s\n", static_cast<long>(p.X), static_cast<long>(p.Y),
                             ColourName(p.Colour), frontend::ShortestDecimal(p.Score).c_str(),
                             neighbour ? "cluster" : "single", kind);
  }
  return text;
}

frontend::RunProduct DefectListProduct() {
  return frontend::RunProduct{
      "DefectList", &frontend::ProductPaths::DefectList, {".txt", ".csv"},
      [](const frontend::StationFindings& run, const std::string& path,
         std::string& problem) -> std::optional<std::string> {
        if (!run.PixelDefects) {
          problem = "the search did not come to its end";
          return std::nullopt;
        }
        if (EndsWithNoCase(path, ".csv")) return FormatDefectCsv(*run.PixelDefects, run.Mode.BayerMode);
        return FormatBadPixelList(*run.PixelDefects);
      }};
}

}  // namespace sensor::waferonrun
