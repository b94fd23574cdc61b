// The judged values of a run: for each one its label from the limits file, its
// limits and the measured value, and the verdict that compares them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sensor::frontend {

// Counts are 32-bit signed numbers, written "%ld"; levels are doubles, written
// "%.2lf". Limits of both kinds are read as whole numbers.
enum class ValueKind { Count, Level };

struct VerdictEntry {
  ValueKind Kind = ValueKind::Count;
  std::string Label;
  std::int32_t High = 0;
  std::int32_t Low = 0;
  double Value = 0.0;  // a count is held exactly
  std::string Unit = {};  // from the limits file, for the outputs that show it

  void SetCount(std::int32_t count) { Value = count; }
  void SetLevel(double level) { Value = level; }
  std::int32_t Count() const { return static_cast<std::int32_t>(Value); }

  // The limit or the value as the status file and the logs write it.
  std::string FormatHigh() const;
  std::string FormatLow() const;
  std::string FormatValue() const;

  // Fails when the value lies above the high or below the low limit; both
  // limits pass, and a level that is not a number passes.
  bool Fails() const;
};

using VerdictTable = std::vector<VerdictEntry>;

// A table of empty entries of the given kinds, in judging order.
VerdictTable MakeVerdictTable(const std::vector<ValueKind>& kinds);

inline constexpr std::size_t kFailureMessageLimit = 2047;

// Judges every entry in table order and appends "label=value" for each failing
// one to `message`, separated by commas; the message is cut at 2,047
// characters. True when any entry failed.
bool JudgeResults(const VerdictTable& table, std::string& message);

}  // namespace sensor::frontend
