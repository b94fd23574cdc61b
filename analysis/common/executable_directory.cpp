#include "executable_directory.h"

#include <limits.h>
#include <unistd.h>

namespace sensor {

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  const std::string full(path, static_cast<std::size_t>(length));
  const std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return std::string();
  return full.substr(0, slash + 1);
}

std::string BesideExecutable(const char* fileName) {
  return ExecutableDirectory() + fileName;
}

}  // namespace sensor
