// The job record's reader on any bytes (a worker's line, an earlier run's
// summary line): it never fails on them, and what it reads it writes back as a
// record that reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frontend/sensorbatch/job_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor::batch;
  const std::optional<JobRecord> record =
      RecordFromJson(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!record) return 0;
  const std::string written = RecordToJson(*record).dump();
  const std::optional<JobRecord> again = RecordFromJson(written);
  if (!again || RecordToJson(*again).dump() != written) std::abort();
  if (again->Passed() != record->Passed()) std::abort();
  return 0;
}
