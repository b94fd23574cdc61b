// The batch program's command line, in the test programs' style: a dash and
// an option's name, matched case-insensitively and as a prefix, its value the
// next argument. Unlike the test programs, the batch refuses what it does not
// understand. -Resume is a switch; "-Jobs -" reads the jobs from standard
// input.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sensor::batch {

struct BatchOptions {
  std::optional<std::string> Jobs;     // -Jobs FILE
  std::optional<int> Workers;          // -Workers N
  int ShardIndex = 1;                  // -Shard I/N
  int ShardCount = 1;
  std::optional<std::string> Summary;  // -Summary FILE.jsonl
  double JobTimeoutSeconds = 0.0;      // -JobTimeout SEC; 0 none
  std::optional<std::string> ReportPage;  // -ReportPage FILE.html
  bool Resume = false;                    // -Resume: jobs the summary reports stay done
  std::vector<std::string> Problems;   // what was refused, one line each
};

BatchOptions ParseBatchOptions(int argc, char** argv);

extern const char* const kBatchUsage;

}  // namespace sensor::batch
