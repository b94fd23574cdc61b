#include "frontend/sensorbatch/job_class.h"

namespace sensor::batch {

JobClass ClassifyJob(const nlohmann::ordered_json& report) {
  const std::string runClass = report.value("class", std::string());
  const auto reason = report.find("reason");
  const std::string runReason = reason != report.end() && reason->is_string() ? reason->get<std::string>() : "";
  if (runClass == "PASS") return {PageVerdict::Pass, ""};
  if (runClass == "FAIL") return {PageVerdict::Fail, runReason};
  if (runClass == "ERROR") return {PageVerdict::Error, runReason};
  return {PageVerdict::Error, report.value("failure", std::string("the run gave no result"))};
}

}  // namespace sensor::batch
