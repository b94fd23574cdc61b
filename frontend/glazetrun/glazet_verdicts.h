// Glazetrun's eight judged values, the limits-file sections and header rule
// that set their labels and limits, and how the status file and logs show them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "frontend/station/limits_file.h"
#include "frontend/station/status_file.h"
#include "frontend/station/verdict_table.h"

namespace sensor::glazetrun {

// Entries in judging order. The package library reports no zones, so the centre
// and side cluster counts stay 0; the total is the library's defect count.
enum GlazetValue : std::size_t {
  kClustersCenter,
  kClustersSide,
  kClustersTotal,
  kLevelR,
  kLevelG,
  kLevelB,
  kLevelG1,
  kLevelG2,
  kGlazetValues
};

frontend::VerdictTable GlazetVerdicts();

// The entry that a limits-file column header selects. The header, lower-cased,
// is searched for "(center)", "(side)", "(total)", "(r)", "(g)", "(b)", "(g1)",
// "(g2)" in this order, and the first one found decides; the three counts also
// need "cluster" somewhere in the header. Anything else is refused.
std::optional<std::size_t> GlazetEntryFor(std::string_view header);

// The file must hold "[CLUSTER]" and "[BRIGHTNESS]".
frontend::LimitsRules GlazetLimitsRules();

// "Headers=" in the status file, elapsed time reported, and a default data log
// of the total count and the five levels only.
frontend::OutputLayout GlazetLayout();

}  // namespace sensor::glazetrun
