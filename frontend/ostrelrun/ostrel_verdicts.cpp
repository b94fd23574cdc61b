#include "frontend/ostrelrun/ostrel_verdicts.h"

#include <array>

#include "frontend/common/text_format.h"

namespace sensor::ostrelrun {

using frontend::ValueKind;

frontend::VerdictTable OstrelVerdicts() {
  return frontend::MakeVerdictTable({ValueKind::Level, ValueKind::Level, ValueKind::Level,
                                     ValueKind::Level, ValueKind::Level, ValueKind::Count,
                                     ValueKind::Count});
}

std::optional<std::size_t> OstrelEntryFor(std::string_view header) {
  struct Label {
    std::string_view Text;
    OstrelValue Entry;
  };
  constexpr std::array<Label, kOstrelValues> kLabels = {{
      {"width", kWidth},
      {"height", kHeight},
      {"G1", kLevelG1},
      {"G2", kLevelG2},
      {"R", kLevelR},
      {"G", kLevelG},
      {"B", kLevelB},
  }};
  for (const Label& label : kLabels) {
    if (frontend::EqualsNoCase(header, label.Text)) return label.Entry;
  }
  return std::nullopt;
}

frontend::LimitsRules OstrelLimitsRules() {
  return frontend::LimitsRules{{"[DIMENSION]", "[BRIGHTNESS]"}, OstrelEntryFor};
}

frontend::OutputLayout OstrelLayout() {
  frontend::OutputLayout layout;
  layout.HeadersKey = "Header=";
  layout.HighLimitsTrailingComma = true;
  layout.NamedLogTrailingComma = true;
  layout.ReportsElapsedTime = false;
  return layout;
}

}  // namespace sensor::ostrelrun
