// The test-limits file: sections of four key lines ("Header=" or "Headers=",
// "Unit=", "HighLimit=", "LowLimit=") whose comma-separated columns set the
// label and the limits of the verdict table's entries. Which entry a column
// sets is decided by its header text alone, by the program's rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/station/verdict_table.h"

namespace sensor::frontend {

struct LimitsRules {
  // Section names that the file must hold, brackets included, e.g. "[PIXEL]".
  std::vector<std::string> Sections;
  // The entry that a column header selects, or nothing when the header is
  // refused (which fails its section).
  std::function<std::optional<std::size_t>(std::string_view header)> EntryFor;
};

// Whether a line opens one of the sections: it holds a '[' and a ']', and the
// text from its first '[' begins with the name, case-insensitively.
bool IsSectionLine(std::string_view line, const std::vector<std::string>& sections);

// Reads one section from the line pieces that follow its name (`begin`) up to
// the next line that begins with '['. True when it held exactly four key lines
// and every column was read and selected an entry. On a fault, `problem`
// (when given) says what was expected, naming the section's line.
bool ReadLimitSection(const std::vector<std::string>& lines, std::size_t begin,
                      const LimitsRules& rules, VerdictTable& table, std::string* problem = nullptr);

// Reads the file's line pieces into the table: true when every required
// section is present and every section was read without fault. Entries set
// before a fault stay set.
// `problem` (when given) gets what is wrong with the first fault.
bool ReadTestLimitsLines(const std::vector<std::string>& lines, const LimitsRules& rules,
                         VerdictTable& table, std::string* problem = nullptr);

// A limits file holds a few hundred bytes. One beyond this size is refused as
// unreadable: every section line reads on to the next line that begins with
// '[', so a file of many section lines takes time that grows with the square of
// its length (a megabyte of them, minutes).
inline constexpr std::uint64_t kLimitsFileMaxBytes = 64 * 1024;

// Reads the limits file; false as well when it cannot be opened or is larger
// than kLimitsFileMaxBytes. `problem` (when given) gets what is wrong.
bool ReadTestLimits(const std::string& path, const LimitsRules& rules, VerdictTable& table,
                    std::string* problem = nullptr);

}  // namespace sensor::frontend
