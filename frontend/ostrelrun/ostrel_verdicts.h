// Ostrelrun's seven judged values, the limits-file sections and header rule
// that set their labels and limits, and how the status file and logs show them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "frontend/station/limits_file.h"
#include "frontend/station/status_file.h"
#include "frontend/station/verdict_table.h"

namespace sensor::ostrelrun {

// Entries in judging order: the five levels, then the bitmap's dimensions.
enum OstrelValue : std::size_t {
  kLevelR,
  kLevelG,
  kLevelB,
  kLevelG1,
  kLevelG2,
  kWidth,
  kHeight,
  kOstrelValues
};

frontend::VerdictTable OstrelVerdicts();

// The entry that a limits-file column header selects: the whole header,
// compared without regard to case, is one of "width", "height", "G1", "G2",
// "R", "G", "B". Anything else is refused.
std::optional<std::size_t> OstrelEntryFor(std::string_view header);

// The file must hold "[DIMENSION]" and "[BRIGHTNESS]".
frontend::LimitsRules OstrelLimitsRules();

// "Header=" in the status file with a comma after the high limits, a named
// data log that ends with a comma, and no elapsed time.
frontend::OutputLayout OstrelLayout();

}  // namespace sensor::ostrelrun
