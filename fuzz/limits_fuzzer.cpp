// The test-limits reader of the three test programs on any file, followed by
// the verdict on measured values (ordinary and extreme ones) and the status
// file and data logs that carry labels, limits and values.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_input.h"
#include "frontend/station/status_file.h"
#include "program_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  static const double kValues[] = {0.0,
                                   1.0,
                                   -1.0,
                                   123.456,
                                   2147483647.0,
                                   -2147483648.0,
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   1e300};
  const std::string& path = fuzz::ScratchPath(".txt");
  if (!fuzz::WriteScratch(path, data, size)) return 0;
  fuzz::ForEachProgramLimits([&](const frontend::LimitsRules& rules,
                                 frontend::VerdictTable table,
                                 const frontend::OutputLayout& layout) {
    std::string problem;
    const bool read = frontend::ReadTestLimits(path, rules, table, &problem);
    // A refused file always says why.
    if (!read && problem.empty()) __builtin_trap();
    // Measured values chosen by the input, so that every entry meets each kind.
    for (std::size_t i = 0; i < table.size(); ++i) {
      const double v = kValues[(size + i * 7) % std::size(kValues)];
      if (table[i].Kind == frontend::ValueKind::Count) {
        table[i].SetCount(std::isfinite(v) && std::abs(v) <= 2147483647.0
                              ? static_cast<std::int32_t>(v)
                              : std::numeric_limits<std::int32_t>::max());
      } else {
        table[i].SetLevel(v);
      }
    }
    std::string message;
    frontend::JudgeResults(table, message);
    frontend::StatusReport report;
    report.Code = read ? 0 : SensorDefectDetectionClass::E_INVALIDARG;
    if (!message.empty()) report.Message = message;
    const frontend::StatusPaths paths{path, std::nullopt, std::nullopt, path};
    frontend::FormatStatusFile(report, paths, table, layout);
    frontend::FormatNamedLog(table, layout);
    frontend::FormatDefaultLog(table, layout);
  });
  return 0;
}
