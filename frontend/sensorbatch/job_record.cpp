#include "frontend/sensorbatch/job_record.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace sensor::batch {
namespace {

using Json = nlohmann::ordered_json;

// The value as the status file writes it: that text ("%.2lf" for a level) is
// what the summary reports, so a level is the number its text denotes.
JudgedNumber StatusFileNumber(const frontend::VerdictEntry& entry) {
  if (entry.Kind == frontend::ValueKind::Count) return std::int64_t{entry.Count()};
  return std::strtod(entry.FormatValue().c_str(), nullptr);
}

std::optional<frontend::RunClass> ClassNamed(const std::string& name) {
  for (const frontend::RunClass runClass :
       {frontend::RunClass::Pass, frontend::RunClass::Fail, frontend::RunClass::Error}) {
    if (name == frontend::RunClassName(runClass)) return runClass;
  }
  return std::nullopt;
}

Json OptionalText(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

// The reading of one field: a value of the expected type, else none.
const Json* Field(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

std::optional<std::int64_t> AsInteger(const Json* value) {
  if (value == nullptr || !value->is_number_integer()) return std::nullopt;
  if (value->is_number_unsigned() &&
      value->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return std::nullopt;
  }
  return value->get<std::int64_t>();
}

std::optional<std::int64_t> Integer(const Json& object, const char* key) { return AsInteger(Field(object, key)); }

std::optional<double> Number(const Json& object, const char* key) {
  const Json* value = Field(object, key);
  if (value == nullptr || !value->is_number() || !std::isfinite(value->get<double>())) return std::nullopt;
  return value->get<double>();
}

std::optional<std::string> Text(const Json& object, const char* key) {
  const Json* value = Field(object, key);
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

std::optional<StatusReport> ReadStatus(const Json& object) {
  const std::optional<std::int64_t> code = Integer(object, "ReturnCode");
  const std::optional<std::string> className = Text(object, "class");
  const std::optional<frontend::RunClass> runClass = className ? ClassNamed(*className) : std::nullopt;
  if (!code || !runClass) return std::nullopt;
  StatusReport status;
  status.ReturnCode = *code;
  status.Status = Integer(object, "Status").value_or(0);
  status.Message = Text(object, "Message").value_or(std::string());
  status.Class = *runClass;
  status.Reason = Text(object, "reason");
  if (const Json* labels = Field(object, "labels"); labels != nullptr && labels->is_array()) {
    for (const Json& label : *labels) {
      if (label.is_string()) status.Labels.push_back(label.get<std::string>());
    }
  }
  if (const Json* values = Field(object, "values"); values != nullptr && values->is_array()) {
    for (const Json& value : *values) {
      if (const auto count = AsInteger(&value)) {
        status.Values.emplace_back(*count);
      } else if (value.is_number()) {
        status.Values.emplace_back(value.get<double>());
      } else if (value.is_null()) {  // a level that is no number
        status.Values.emplace_back(std::numeric_limits<double>::quiet_NaN());
      }
    }
  }
  return status;
}

}  // namespace

JobRecord RecordRun(int exitCode, const frontend::StationOutcome& outcome, bool filled) {
  JobRecord record;
  record.Exit = exitCode;
  if (!filled) return record;
  StatusReport& status = record.Status.emplace();
  status.ReturnCode = outcome.Code;
  status.Status = outcome.Status;
  status.Message = outcome.Message;
  for (const frontend::VerdictEntry& entry : outcome.Verdicts) {
    status.Labels.push_back(entry.Label);
    status.Values.push_back(StatusFileNumber(entry));
  }
  status.Class = outcome.Class;
  if (outcome.Class != frontend::RunClass::Pass) status.Reason = outcome.Reason;
  return record;
}

nlohmann::ordered_json RecordToJson(const JobRecord& record) {
  Json line;
  line["exit"] = record.Exit ? Json(*record.Exit) : Json(nullptr);
  if (record.Status) {
    const StatusReport& status = *record.Status;
    line["ReturnCode"] = status.ReturnCode;
    line["Status"] = status.Status;
    line["Message"] = status.Message;
    line["labels"] = status.Labels;
    Json values = Json::array();
    for (const JudgedNumber& value : status.Values) {
      std::visit([&values](auto number) { values.push_back(number); }, value);
    }
    line["values"] = std::move(values);
    line["class"] = frontend::RunClassName(status.Class);
    line["reason"] = OptionalText(status.Reason);
  }
  if (record.Wall) line["wall"] = *record.Wall;
  if (record.Failure) line["failure"] = *record.Failure;
  if (record.ReviewImage) line["reviewImage"] = *record.ReviewImage;
  return line;
}

std::optional<JobRecord> RecordFromJson(std::string_view text) {
  const Json object = Json::parse(text, nullptr, false);
  if (!object.is_object()) return std::nullopt;
  JobRecord record;
  record.Exit = Integer(object, "exit");
  record.Status = ReadStatus(object);
  record.Wall = Number(object, "wall");
  record.Failure = Text(object, "failure");
  record.ReviewImage = Text(object, "reviewImage");
  return record;
}

}  // namespace sensor::batch
