// The one way the programs (the three test programs and sensorbatch) tell a
// user about a mistake or a failure: a diagnostic record, written as one line
// on standard error. Standard output, the status file and the logs never see
// these lines, so what a test station reads stays as it was.
//
// A line reads "PROGRAM: CLASS: SUBJECT: WHAT IS WRONG; WHAT TO DO", for
// example
//   Waferonrun: unknown option: -TestSetings: no option has this name; did you mean -TestSettings?
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sensor::frontend {

enum class DiagnosticClass {
  UnknownOption,  // an argument that names no option
  MissingValue,   // an option given without its value
  BadPath,        // an option's value that is no usable path
  Settings,       // settings that do not go together
  SettingsFile,   // settings file missing, unreadable or with a line of no key
  LimitsFile,     // limits file missing, unreadable, too large or malformed
  Picture,        // picture missing, unreadable, of an unknown format or refused
  Output,         // a file or folder the run writes that cannot be written
  Library,        // the analysis library ended the run with an error code
};

// How a run ended: PASS, FAIL (a judged value outside its limits, or a
// search stopped on too many defects) or ERROR (the run could not judge: the
// picture was not loaded or was refused, the settings or limits were wrong,
// or the library ended with an error code).
enum class RunClass { Pass, Fail, Error };

// "PASS", "FAIL" or "ERROR".
const char* RunClassName(RunClass runClass);

// The class as the lines and the reports name it, e.g. "unknown option".
const char* DiagnosticClassName(DiagnosticClass kind);

struct Diagnostic {
  DiagnosticClass Class = DiagnosticClass::UnknownOption;
  std::string Subject;  // the argument or the file, as the user gave it
  std::string Problem;  // what is wrong
  std::string Remedy;   // what to do; may be empty
};

// "CLASS: SUBJECT: PROBLEM; REMEDY" on one line (line breaks become spaces).
std::string FormatDiagnostic(const Diagnostic& diagnostic);

// Writes "PROGRAM: " and the formatted diagnostic as one line on standard error.
void WriteDiagnostic(std::string_view program, const Diagnostic& diagnostic);

// Writes "WHERE: TEXT" as one line on standard error (line breaks in the text
// become spaces), after what standard output holds so far; WriteDiagnostic
// and the batch program's lines go through here.
void WriteDiagnosticLine(std::string_view where, std::string_view text);

// The diagnostics of one run: each written when it is added; the first one
// of a class that keeps the run from judging is the run's reason.
class RunDiagnostics {
 public:
  // `write`: each diagnostic goes to standard error as it is added.
  RunDiagnostics(std::string program, bool write) : program_(std::move(program)), write_(write) {}
  void Add(Diagnostic diagnostic);
  // The first diagnostic that makes the run an ERROR (every class but
  // Output, which leaves the judgement standing); nothing when none.
  const std::optional<Diagnostic>& Reason() const { return reason_; }
  // The first diagnostic of any class; nothing when none.
  const std::optional<Diagnostic>& First() const { return first_; }
  bool Any() const { return count_ > 0; }

 private:
  std::string program_;
  bool write_;
  std::optional<Diagnostic> reason_;
  std::optional<Diagnostic> first_;
  std::size_t count_ = 0;
};

// The number of single-character edits (insert, delete, replace) from `a` to
// `b`, letters compared without case.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The name of `names` nearest to `word` when it is close enough to be a
// likely misspelling (at most a third of the word's letters, at least one,
// differ); nothing otherwise.
std::optional<std::string> NearestName(std::string_view word, const std::vector<std::string>& names);

}  // namespace sensor::frontend
