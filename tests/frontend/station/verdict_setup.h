// Verdict tables set up for the tests of a program's tables: limits read from
// text, and labels, limits and levels set entry by entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/station/limits_file.h"
#include "frontend/station/verdict_table.h"

namespace sensor::test {

// Reads limits-file text into `table` by the program's rules, cut into lines
// as a limits file is read; false when the rules refuse it.
bool ReadLimitsText(const std::string& contents, const frontend::LimitsRules& rules,
                    frontend::VerdictTable& table);

// Sets the label, high and low limit of every entry, in table order; each list
// must be as long as the table.
void SetLabelsAndLimits(frontend::VerdictTable& table, const std::vector<std::string>& labels,
                        const std::vector<std::int32_t>& highs,
                        const std::vector<std::int32_t>& lows);

// Sets the levels of the entries from `first` on.
void SetLevels(frontend::VerdictTable& table, std::size_t first, const std::vector<double>& levels);

}  // namespace sensor::test
