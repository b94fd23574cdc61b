// What the batch knows of each job before it runs, read through the program's
// own options (command line and settings file): the picture it reads and the
// files it writes; and from that, which jobs go together and which wait.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frontend/sensorbatch/job_file.h"

namespace sensor::batch {

struct JobPlan {
  std::string Picture;              // the resolved picture path; empty: none
  bool Paints = false;              // its library paints the picture
  std::vector<std::string> Writes;  // what it writes: status file, named log, files asked for, folder and program
  // The files it names and writes: status file, named log (with a limits
  // file) and files asked for, resolved.
  std::vector<std::string> Files;
  std::string StatusFile;   // the status file; empty: none
  std::string ReviewImage;  // the review image asked for, resolved; empty: none
  bool KeepsDefectMap = false;  // -KeepDefectMap: Glazet's map file stays
  std::string Folder;  // the folder of the program's own files, ending in '/'
};

// The argument vector of a job as its program's main gets it (argument 0 is
// the program's name); the pointers point into `job` and a null ends it.
std::vector<char*> ArgumentVector(Job& job);

// The plan of a job, resolved in the current working directory, with
// `programDirectory` as the program's own directory.
JobPlan PlanJob(Job job, const std::string& programDirectory);

// Consecutive jobs on one picture, run one after another in one worker so that
// the picture is read once. Within a group a job that paints the picture runs
// after the jobs that follow it and write nothing it writes, so that they see
// the picture unpainted without a copy; every file still ends as the jobs run
// one by one in file order leave it. A group starts only after the earlier
// jobs that write a file it writes have ended (`After`, job indexes).
struct JobGroup {
  std::vector<std::size_t> Jobs;  // job indexes in the order they run
  std::vector<std::size_t> After;
};

std::vector<JobGroup> GroupJobs(const std::vector<JobPlan>& plans);

}  // namespace sensor::batch
