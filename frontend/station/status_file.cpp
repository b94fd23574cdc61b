#include "frontend/station/status_file.h"

#include <cstdio>
#include <memory>

#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

using namespace SensorDefectDetectionClass;

template <typename Field>
std::string Joined(const VerdictTable& table, const std::vector<std::size_t>& columns,
                   Field field) {
  std::string line;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ',';
    if (columns[i] < table.size()) line += field(table[columns[i]]);
  }
  return line;
}

std::vector<std::size_t> AllColumns(const VerdictTable& table) {
  std::vector<std::size_t> columns;
  for (std::size_t i = 0; i < table.size(); ++i) columns.push_back(i);
  return columns;
}

std::string QuotedOrNull(const char* key, const ResolvedPath& path) {
  return path ? Format("%s=\"%s\"\n", key, path->c_str()) : Format("%s=(null)\n", key);
}

}  // namespace

const char* ResultText(ResultCode code) {
  switch (code) {
    case S_OK:
      return "Operation successful.";
    case E_NOTIMPL:
      return "Algorithm not implemented.";
    case E_NOINTERFACE:
      return "Interface not supported.";
    case E_POINTER:
      return "Invalid pointer.";
    case E_ABORT:
      return "Access a module without initialize it.";
    case E_FAIL:
      return "NI calls fail.";
    case E_UNEXPECTED:
      return "Unexpected failure.";
    case E_ACCESSDENIED:
      return "General access denied.";
    case E_HANDLE:
      return "Invalid handle.";
    case E_OUTOFMEMORY:
      return "Fail to allocate memory.";
    case E_INVALIDARG:
      return "Invalid argument.";
    default:
      return "unknown error";
  }
}

std::string FormatStatusFile(const StatusReport& report, const StatusPaths& paths,
                             const VerdictTable& table, const OutputLayout& layout) {
  const std::string message = report.Message ? *report.Message : ResultText(report.Code);
  std::string text = Format("[Outputs]\nStatus=%d\nReturnCode=%ld\n", report.Status,
                            static_cast<long>(report.Code));
  text += "Message=\"" + message + (report.Code != 0 ? " ERROR" : "") + "\"\n";

  if (paths.TestLimits) {
    const std::vector<std::size_t> all = AllColumns(table);
    text += layout.HeadersKey + Joined(table, all, [](const VerdictEntry& e) { return e.Label; });
    text += "\nUpLimit=" + Joined(table, all, [](const VerdictEntry& e) { return e.FormatHigh(); });
    if (layout.HighLimitsTrailingComma) text += ',';
    text += "\nLowLimit=" + Joined(table, all, [](const VerdictEntry& e) { return e.FormatLow(); });
    text += "\nValues=" + Joined(table, all, [](const VerdictEntry& e) { return e.FormatValue(); });
    text += "\nTestLimits=\"" + *paths.TestLimits + "\"\n";
  } else {
    text += "\nTestLimits=(null)\n";
  }
  text += QuotedOrNull("TestSettings", paths.TestSettings);
  text += QuotedOrNull("LogFile", paths.LogFile);
  text += QuotedOrNull("BMPFileIn", paths.BMPFileIn);
  if (layout.ReportsElapsedTime) text += Format("\ncalc time=%.2lf sec\n", report.ElapsedSeconds);
  return text;
}

std::string FormatNamedLog(const VerdictTable& table, const OutputLayout& layout) {
  std::string line =
      Joined(table, AllColumns(table), [](const VerdictEntry& e) { return e.FormatValue(); });
  if (layout.NamedLogTrailingComma) line += ',';
  return line;
}

std::string FormatDefaultLog(const VerdictTable& table, const OutputLayout& layout) {
  const std::vector<std::size_t> columns =
      layout.DefaultLogColumns.empty() ? AllColumns(table) : layout.DefaultLogColumns;
  return Joined(table, columns, [](const VerdictEntry& e) { return e.Label; }) + "\n" +
         Joined(table, columns, [](const VerdictEntry& e) { return e.FormatValue(); }) + "\n";
}

}  // namespace sensor::frontend
