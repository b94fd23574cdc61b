// Where the running program is and where a library leaves its files (Waferon's
// dump files, Glazet's defect map). This is the one place that reads
// /proc/self/exe; the test programs' front end asks it too.
#pragma once

#include <string>

#include "sensordefect/ResultCodes.h"

namespace sensor {

// The full path of the running program's file (the program, not the library);
// empty when it cannot be read.
std::string ExecutablePath();

// The directory of ExecutablePath(), ending with '/'; empty when the path
// cannot be read (files then go to the working directory).
std::string ExecutableDirectory();

// Chooses the folder of the library's files for the rest of the process: null
// restores the default (the program's directory), "" is the working directory,
// any other text a folder, absolute or against the working directory. Nothing
// is created or checked here. E_INVALIDARG for a folder longer than the
// platform's path limit, E_OUTOFMEMORY when it cannot be kept; never throws.
SensorDefectDetectionClass::ResultCode SetOutputFolder(const char* folder) noexcept;

// The chosen folder (or the program's directory) followed by `fileName`.
std::string InOutputFolder(const char* fileName);

}  // namespace sensor
