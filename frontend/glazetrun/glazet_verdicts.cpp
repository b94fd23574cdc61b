#include "frontend/glazetrun/glazet_verdicts.h"

#include <array>
#include <string>

#include "frontend/common/text_format.h"

namespace sensor::glazetrun {

using frontend::ValueKind;

frontend::VerdictTable GlazetVerdicts() {
  return frontend::MakeVerdictTable({ValueKind::Count, ValueKind::Count, ValueKind::Count,
                                     ValueKind::Level, ValueKind::Level, ValueKind::Level,
                                     ValueKind::Level, ValueKind::Level});
}

std::optional<std::size_t> GlazetEntryFor(std::string_view header) {
  const std::string lower = frontend::LowerAscii(header);
  // Every mark selects the entry of the same index: three counts, five levels.
  constexpr std::array<std::string_view, kGlazetValues> kMarks = {
      "(center)", "(side)", "(total)", "(r)", "(g)", "(b)", "(g1)", "(g2)"};
  for (std::size_t entry = 0; entry < kMarks.size(); ++entry) {
    if (lower.find(kMarks[entry]) == std::string::npos) continue;
    if (entry <= kClustersTotal && lower.find("cluster") == std::string::npos) {
      return std::nullopt;
    }
    return entry;
  }
  return std::nullopt;
}

frontend::LimitsRules GlazetLimitsRules() {
  return frontend::LimitsRules{{"[CLUSTER]", "[BRIGHTNESS]"}, GlazetEntryFor};
}

frontend::OutputLayout GlazetLayout() {
  frontend::OutputLayout layout;
  layout.HeadersKey = "Headers=";
  layout.HighLimitsTrailingComma = false;
  layout.NamedLogTrailingComma = false;
  layout.DefaultLogColumns = {kClustersTotal, kLevelR, kLevelG, kLevelB, kLevelG1, kLevelG2};
  layout.ReportsElapsedTime = true;
  return layout;
}

}  // namespace sensor::glazetrun
