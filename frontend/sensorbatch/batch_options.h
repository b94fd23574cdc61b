// The batch program's command line, in the test programs' style: a dash and
// an option's name, matched case-insensitively and as a prefix, its value the
// next argument. Unlike the test programs, the batch refuses what it does not
// understand. -Resume is a switch; "-Jobs -" reads the jobs from standard
// input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/station/program_information.h"

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
  // "--help" or "--version" was given: nothing else is read.
  std::optional<frontend::InformationRequest> Information;
  std::vector<std::string> Names;      // the options' names, in matching order
};

BatchOptions ParseBatchOptions(int argc, char** argv);

// The help: the usage line, every option with its start value, the manual page.
std::string FormatBatchHelp(const BatchOptions& parsed);

extern const char* const kBatchUsage;

}  // namespace sensor::batch
