#include "frontend/station/verdict_table.h"

#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

std::string FormatNumber(ValueKind kind, double number) {
  if (kind == ValueKind::Count)
    return Format("%ld", static_cast<long>(static_cast<std::int32_t>(number)));
  return Format("%.2lf", number);
}

}  // namespace

std::string VerdictEntry::FormatHigh() const { return FormatNumber(Kind, High); }
std::string VerdictEntry::FormatLow() const { return FormatNumber(Kind, Low); }
std::string VerdictEntry::FormatValue() const { return FormatNumber(Kind, Value); }

bool VerdictEntry::Fails() const {
  return Value > static_cast<double>(High) || Value < static_cast<double>(Low);
}

VerdictTable MakeVerdictTable(const std::vector<ValueKind>& kinds) {
  VerdictTable table;
  for (const ValueKind kind : kinds) table.push_back(VerdictEntry{kind, {}, 0, 0, 0.0});
  return table;
}

bool JudgeResults(const VerdictTable& table, std::string& message) {
  bool anyFailed = false;
  for (const VerdictEntry& entry : table) {
    if (!entry.Fails()) continue;
    if (anyFailed) message += ',';
    message += entry.Label;
    message += '=';
    message += entry.FormatValue();
    anyFailed = true;
  }
  if (message.size() > kFailureMessageLimit) message.resize(kFailureMessageLimit);
  return anyFailed;
}

}  // namespace sensor::frontend
