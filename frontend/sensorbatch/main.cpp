// sensorbatch: runs many test program runs, listed in a job file, in worker
// processes (doc/batch.md, doc/man/sensorbatch.1). Here the options are read;
// batch_program.h runs the batch.
#include <cstdio>
#include <exception>
#include <string>

#include "frontend/common/diagnostics.h"
#include "frontend/sensorbatch/batch_options.h"
#include "frontend/sensorbatch/batch_program.h"
#include "frontend/sensorbatch/program_catalog.h"
#include "frontend/station/version_report.h"

namespace {

using namespace sensor::batch;

int RunFromCommandLine(int argc, char** argv) {
  const BatchOptions options = ParseBatchOptions(argc, argv);
  if (options.Information) {
    const std::string text = *options.Information == sensor::frontend::InformationRequest::Help
                                 ? FormatBatchHelp(options)
                                 : sensor::frontend::ProgramVersionLine("sensorbatch") + FormatLibraryVersions();
    std::fputs(text.c_str(), stdout);
    return kAllPassed;
  }
  if (!options.Problems.empty()) {
    for (const std::string& problem : options.Problems) RefuseBatch(problem);
    std::fputs(kBatchUsage, stderr);
    return kRefused;
  }
  return RunBatchProgram(options);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunFromCommandLine(argc, argv);
  } catch (const std::exception& e) {
    sensor::frontend::WriteDiagnosticLine("sensorbatch", e.what());
    return kSomeFailed;
  }
}
