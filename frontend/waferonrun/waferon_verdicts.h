// Waferonrun's eleven judged values, the limits-file sections and header rule
// that set their labels and limits, and how the status file and logs show them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "frontend/station/limits_file.h"
#include "frontend/station/status_file.h"
#include "frontend/station/verdict_table.h"

namespace sensor::waferonrun {

// Entries in judging order.
enum WaferonValue : std::size_t {
  kClustersCenter,
  kClustersSide,
  kClustersTotal,
  kPixelsCenter,
  kPixelsSide,
  kPixelsTotal,
  kLevelR,
  kLevelG,
  kLevelB,
  kLevelG1,
  kLevelG2,
  kWaferonValues
};

frontend::VerdictTable WaferonVerdicts();

// The entry that a limits-file column header selects: a zone ("(center)",
// "(side)", "(total)") with "cluster" or "pixel", or a colour ("(r)", "(g)",
// "(b)", "(g1)", "(g2)") whatever else it holds; letters in any case.
std::optional<std::size_t> WaferonEntryFor(std::string_view header);

// The file must hold "[CLUSTER]", "[PIXEL]" and "[BRIGHTNESS]".
frontend::LimitsRules WaferonLimitsRules();

frontend::OutputLayout WaferonLayout();

}  // namespace sensor::waferonrun
