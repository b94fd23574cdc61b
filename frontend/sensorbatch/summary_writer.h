// The batch's summary (-Summary FILE.jsonl): one JSON line per job, in job-file
// order, every floating number the shortest decimal that reads back as the
// same double.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "frontend/common/file_writer.h"
#include "frontend/sensorbatch/job_class.h"
#include "frontend/sensorbatch/job_file.h"
#include "frontend/sensorbatch/job_record.h"

namespace sensor::batch {

// A job's summary line: "line", "program", "picture" (null when it named
// none), its record without the page's details, and for a run that gave no
// class of its own, "class" ERROR with the reason.
std::string SummaryLine(const Job& job, const std::string& picture, const JobRecord& record,
                        const JobClass& jobClass);

// Writes the summary lines in job order as soon as every earlier job has
// ended (a job with no line, not done when the batch stopped, is passed over
// at the end), into a file that takes the summary's name only when complete.
class SummaryWriter {
 public:
  // No summary asked for: `out` is null.
  SummaryWriter(frontend::FileReplacement* out, std::size_t jobs) : out_(out), lines_(jobs) {}
  void Add(std::size_t index, std::string line);
  // Writes the lines still waiting for an earlier job that never ended.
  void Close();

 private:
  void Write(const std::string& line);

  frontend::FileReplacement* out_;
  std::vector<std::optional<std::string>> lines_;
  std::size_t next_ = 0;
};

}  // namespace sensor::batch
