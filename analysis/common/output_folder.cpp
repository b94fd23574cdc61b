#include "common/output_folder.h"

#include <limits.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <optional>

namespace sensor {
namespace {

// The folder chosen through SetOutputFolder, ending with '/' unless it is the
// working directory (""); nothing while the default holds. One per library.
std::optional<std::string>& ChosenFolder() {
  static std::optional<std::string> folder;
  return folder;
}

}  // namespace

std::string ExecutablePath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<std::size_t>(length));
}

std::string ExecutableDirectory() {
  const std::string full = ExecutablePath();
  const std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return std::string();
  return full.substr(0, slash + 1);
}

SensorDefectDetectionClass::ResultCode SetOutputFolder(const char* folder) noexcept {
  using namespace SensorDefectDetectionClass;
  if (folder == nullptr) {
    ChosenFolder().reset();
    return S_OK;
  }
  const std::size_t length = std::strlen(folder);
  if (length >= PATH_MAX) return E_INVALIDARG;
  try {
    std::string chosen(folder, length);
    if (!chosen.empty() && chosen.back() != '/') chosen += '/';
    ChosenFolder() = std::move(chosen);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

std::string InOutputFolder(const char* fileName) {
  const std::optional<std::string>& chosen = ChosenFolder();
  return (chosen ? *chosen : ExecutableDirectory()) + fileName;
}

}  // namespace sensor
