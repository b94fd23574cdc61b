// The programs a job may name, each run through its own description and run
// sequence (frontend/common), linked into the batch program.
#pragma once

#include <string>
#include <vector>

#include "frontend/station/program_entry.h"

namespace sensor::batch {

// Waferonrun, Glazetrun and Ostrelrun, in that order.
const std::vector<frontend::ProgramEntry>& Programs();

// The entry of that name; null when there is none.
const frontend::ProgramEntry* FindProgram(const std::string& name);

std::vector<std::string> ProgramNames();

// For --version: a line per program's library beside the batch program, with
// its version or saying that none can be read.
std::string FormatLibraryVersions();

}  // namespace sensor::batch
