#include "verdict_setup.h"

#include <stdexcept>

#include "frontend/common/text_lines.h"

namespace sensor::test {

bool ReadLimitsText(const std::string& contents, const frontend::LimitsRules& rules,
                    frontend::VerdictTable& table) {
  return frontend::ReadTestLimitsLines(frontend::SplitTextPieces(contents), rules, table);
}

void SetLabelsAndLimits(frontend::VerdictTable& table, const std::vector<std::string>& labels,
                        const std::vector<std::int32_t>& highs,
                        const std::vector<std::int32_t>& lows) {
  if (labels.size() != table.size() || highs.size() != table.size() ||
      lows.size() != table.size()) {
    throw std::invalid_argument("one label, high and low limit per entry");
  }
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i].Label = labels[i];
    table[i].High = highs[i];
    table[i].Low = lows[i];
  }
}

void SetLevels(frontend::VerdictTable& table, std::size_t first,
               const std::vector<double>& levels) {
  if (first + levels.size() > table.size()) throw std::out_of_range("levels beyond the table");
  for (std::size_t i = 0; i < levels.size(); ++i) table[first + i].SetLevel(levels[i]);
}

}  // namespace sensor::test
