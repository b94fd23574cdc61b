// Reading back the summary of an earlier run of the same job file (-Resume):
// which jobs it reports as ended by themselves, with their lines as written,
// so that a resumed run copies them instead of running the jobs again.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace sensor::batch {

// What names a job in its summary line: "line", "program" and "picture"
// (empty: the line's null).
struct JobKey {
  int Line = 0;
  std::string Program;
  std::string Picture;
};

struct EarlierLine {
  std::string Text;  // the line as written, without its line break
  int Exit = 0;      // 0 or 1
};

// For each of `jobs`, the last line of `summary` that is a JSON object with
// its "line", "program" and "picture" and an "exit" of 0 or 1 (a run that
// ended by itself; null is a run that was ended); none when there is no such
// line. Anything else in the summary is passed over.
std::vector<std::optional<EarlierLine>> ReadEarlierSummary(std::istream& summary,
                                                           const std::vector<JobKey>& jobs);

}  // namespace sensor::batch
