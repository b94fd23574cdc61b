// The status file and the data logs that a test station reads after a run.
// Every item is written whole; nothing is cut or escaped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/station/paths.h"
#include "frontend/station/verdict_table.h"
#include "sensordefect/ResultCodes.h"

namespace sensor::frontend {

using SensorDefectDetectionClass::ResultCode;

// How a program writes its values in the status file and the logs.
struct OutputLayout {
  // Key of the labels line of the status block: "Headers=" or "Header=".
  std::string HeadersKey = "Headers=";
  // Whether the high-limits line of the status block ends with a comma.
  bool HighLimitsTrailingComma = false;
  // Whether the named data log's line ends with a comma.
  bool NamedLogTrailingComma = false;
  // The entries of the default data log, in order; empty means all of them.
  std::vector<std::size_t> DefaultLogColumns;
  // Whether the status file ends with the analysis time.
  bool ReportsElapsedTime = true;
};

// The text of a result code as the status file shows it.
const char* ResultText(ResultCode code);

struct StatusReport {
  ResultCode Code = 0;
  std::optional<std::string> Message;  // nothing: the text of the code
  int Status = 0;
  double ElapsedSeconds = 0.0;
};

// The paths that the status file lists, as held at the end of the run.
struct StatusPaths {
  ResolvedPath TestLimits;
  ResolvedPath TestSettings;
  ResolvedPath LogFile;
  ResolvedPath BMPFileIn;
};

std::string FormatStatusFile(const StatusReport& report, const StatusPaths& paths,
                             const VerdictTable& table, const OutputLayout& layout);

// The named data log: the values in table order, comma-separated, no line break.
std::string FormatNamedLog(const VerdictTable& table, const OutputLayout& layout);

// The default data log: a line of labels and a line of values.
std::string FormatDefaultLog(const VerdictTable& table, const OutputLayout& layout);

}  // namespace sensor::frontend
