#include "frontend/sensorbatch/job_class.h"

namespace sensor::batch {

JobClass ClassifyJob(const JobRecord& record) {
  if (!record.Status) return {PageVerdict::Error, record.Failure.value_or("the run gave no result")};
  const std::string reason = record.Status->Reason.value_or(std::string());
  switch (record.Status->Class) {
    case frontend::RunClass::Pass: return {PageVerdict::Pass, ""};
    case frontend::RunClass::Fail: return {PageVerdict::Fail, reason};
    case frontend::RunClass::Error: break;
  }
  return {PageVerdict::Error, reason};
}

}  // namespace sensor::batch
