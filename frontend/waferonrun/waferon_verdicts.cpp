#include "frontend/waferonrun/waferon_verdicts.h"

#include <array>
#include <string>

#include "frontend/common/text_format.h"

namespace sensor::waferonrun {

using frontend::ValueKind;

frontend::VerdictTable WaferonVerdicts() {
  return frontend::MakeVerdictTable({ValueKind::Count, ValueKind::Count, ValueKind::Count,
                                     ValueKind::Count, ValueKind::Count, ValueKind::Count,
                                     ValueKind::Level, ValueKind::Level, ValueKind::Level,
                                     ValueKind::Level, ValueKind::Level});
}

std::optional<std::size_t> WaferonEntryFor(std::string_view header) {
  const std::string lower = frontend::LowerAscii(header);
  auto has = [&lower](std::string_view part) { return lower.find(part) != std::string::npos; };

  // The first mark found decides: three zones, then five colours.
  constexpr std::array<std::string_view, 8> kMarks = {"(center)", "(side)", "(total)", "(r)",
                                                      "(g)",      "(b)",    "(g1)",    "(g2)"};
  std::size_t mark = kMarks.size();
  for (std::size_t i = 0; i < kMarks.size(); ++i) {
    if (has(kMarks[i])) {
      mark = i;
      break;
    }
  }
  if (mark == kMarks.size()) return std::nullopt;
  if (mark >= 3)
    return kLevelR + (mark - 3);  // a colour sets its level, whatever kind word it holds
  if (has("cluster")) return kClustersCenter + mark;
  if (has("pixel")) return kPixelsCenter + mark;
  return std::nullopt;
}

frontend::LimitsRules WaferonLimitsRules() {
  return frontend::LimitsRules{{"[CLUSTER]", "[PIXEL]", "[BRIGHTNESS]"}, WaferonEntryFor};
}

frontend::OutputLayout WaferonLayout() {
  frontend::OutputLayout layout;
  layout.HeadersKey = "Headers=";
  layout.HighLimitsTrailingComma = false;
  layout.NamedLogTrailingComma = false;
  layout.ReportsElapsedTime = true;
  return layout;
}

}  // namespace sensor::waferonrun
