// Directory of the running program's file, where the libraries leave their
// diagnostic files whatever the host's working directory is.
#pragma once

#include <string>

namespace sensor {

// The directory of /proc/self/exe (the program, not the library), ending with
// '/'. Empty when the program's path cannot be read: files then go to the
// working directory.
std::string ExecutableDirectory();

// ExecutableDirectory() followed by `fileName`.
std::string BesideExecutable(const char* fileName);

}  // namespace sensor
