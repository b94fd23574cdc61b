#include "frontend/common/diagnostics.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sensor::frontend {
namespace {

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

const char* DiagnosticClassName(DiagnosticClass kind) {
  switch (kind) {
    case DiagnosticClass::UnknownOption: return "unknown option";
    case DiagnosticClass::MissingValue: return "missing value";
    case DiagnosticClass::BadPath: return "bad path";
    case DiagnosticClass::Settings: return "settings";
    case DiagnosticClass::SettingsFile: return "settings file";
    case DiagnosticClass::LimitsFile: return "limits file";
    case DiagnosticClass::Picture: return "picture";
    case DiagnosticClass::Output: return "output";
    case DiagnosticClass::Library: return "library";
  }
  return "error";
}

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
  std::string line = DiagnosticClassName(diagnostic.Class);
  if (!diagnostic.Subject.empty()) line += ": " + diagnostic.Subject;
  line += ": " + diagnostic.Problem;
  if (!diagnostic.Remedy.empty()) line += "; " + diagnostic.Remedy;
  return OneLine(std::move(line));
}

void WriteDiagnostic(std::string_view program, const Diagnostic& diagnostic) {
  WriteDiagnosticLine(program, FormatDiagnostic(diagnostic));
}

void WriteDiagnosticLine(std::string_view where, std::string_view text) {
  const std::string line = std::string(where) + ": " + OneLine(std::string(text)) + "\n";
  std::fflush(stdout);
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

const char* RunClassName(RunClass runClass) {
  switch (runClass) {
    case RunClass::Pass: return "PASS";
    case RunClass::Fail: return "FAIL";
    case RunClass::Error: break;
  }
  return "ERROR";
}

void RunDiagnostics::Add(Diagnostic diagnostic) {
  if (write_) WriteDiagnostic(program_, diagnostic);
  ++count_;
  if (!first_) first_ = diagnostic;
  if (!reason_ && diagnostic.Class != DiagnosticClass::Output) reason_ = std::move(diagnostic);
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t replace = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, replace});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::optional<std::string> NearestName(std::string_view word, const std::vector<std::string>& names) {
  const std::size_t allowed = std::max<std::size_t>(1, word.size() / 3);
  std::optional<std::string> nearest;
  std::size_t best = allowed + 1;
  for (const std::string& name : names) {
    const std::size_t distance = EditDistance(word, name);
    if (distance < best) {
      best = distance;
      nearest = name;
    }
  }
  return nearest;
}

}  // namespace sensor::frontend
