// What the batch learns of one job: the record a worker sends for each job it
// ran (one JSON line on its pipe), which the scheduler completes for a job
// whose worker ended before reporting it, and which the summary line and the
// page are written from. Its JSON form is written and read here and nowhere
// else; reading takes any text (a worker's line, an earlier run's summary
// line) and keeps only fields of the right type.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "frontend/common/diagnostics.h"
#include "frontend/station/run_host.h"

namespace sensor::batch {

// A judged value as the status file writes it: a count, or a level as the
// number its text denotes (not a number when the text is none: null in JSON).
using JudgedNumber = std::variant<std::int64_t, double>;

// What the run's status file reports; a run that ended before it had one has
// none.
struct StatusReport {
  std::int64_t ReturnCode = 0;
  std::int64_t Status = 0;
  std::string Message;
  std::vector<std::string> Labels;
  std::vector<JudgedNumber> Values;
  frontend::RunClass Class = frontend::RunClass::Error;
  std::optional<std::string> Reason;  // none for PASS (null)
};

struct JobRecord {
  std::optional<std::int64_t> Exit;  // none: the job did not end by itself (null)
  std::optional<StatusReport> Status;
  std::optional<double> Wall;           // seconds
  std::optional<std::string> Failure;   // why a job that did not exit 0 failed
  // For the batch's page only, never in the summary: the review image the job
  // wrote (empty: none).
  std::optional<std::string> ReviewImage;

  bool Passed() const { return Exit == 0; }
};

// The record of a run that ended with `exitCode`; `outcome` counts when the
// run got as far as its status (`filled`).
JobRecord RecordRun(int exitCode, const frontend::StationOutcome& outcome, bool filled);

// The record in JSON: "exit", then the status's "ReturnCode", "Status",
// "Message", "labels", "values", "class", "reason", then "wall", "failure",
// "reviewImage", each only when the record has it.
nlohmann::ordered_json RecordToJson(const JobRecord& record);

// The record a JSON object holds (as RecordToJson writes it; other keys are
// passed over, and so is a field of the wrong type); none when `text` is no
// JSON object. The status counts when "ReturnCode" is an integer and "class"
// one of "PASS", "FAIL" and "ERROR".
std::optional<JobRecord> RecordFromJson(std::string_view text);

}  // namespace sensor::batch
