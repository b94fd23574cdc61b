#include "frontend/station/run_folder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace sensor::frontend {

std::optional<std::string> DecideRunFolder(const CommonOptions& options,
                                           const std::string& programDirectory) {
  if (!options.OutputFolder) return programDirectory;
  const std::string folder = NormalisedFolder(*options.OutputFolder, WorkingDirectory());
  if (folder.empty()) return std::nullopt;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
  if (access(folder.c_str(), W_OK | X_OK) != 0) return std::nullopt;
  return folder;
}

}  // namespace sensor::frontend
