#include "frontend/station/paths.h"

#include <limits.h>
#include <unistd.h>

#include <vector>

#include "common/frontend_interface.h"

namespace sensor::frontend {
namespace {

// Joins an absolute path's parts, dropping empty and "." parts and letting ".."
// remove the part before it (the root has no parent).
std::string NormaliseAbsolute(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string joined;
  for (const std::string_view part : parts) {
    joined += '/';
    joined += part;
  }
  return joined.empty() ? std::string("/") : joined;
}

}  // namespace

std::string WorkingDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return buffer;
}

std::string NormalisedFolder(std::string_view text, const std::string& workingDirectory) {
  if (text.empty()) return std::string();
  std::string folder;
  if (text.front() == '/') {
    folder = NormaliseAbsolute(text);
  } else {
    if (workingDirectory.empty() || workingDirectory.front() != '/') return std::string();
    folder = NormaliseAbsolute(workingDirectory + "/" + std::string(text));
  }
  if (folder.back() != '/') folder += '/';
  if (folder.size() >= PATH_MAX) return std::string();
  return folder;
}

const char* Shown(const ResolvedPath& path) { return path ? path->c_str() : "(null)"; }

ModulePaths RefreshModulePaths() {
  const std::string full = ExecutablePath();
  if (full.empty()) return ModulePaths{};
  const PathParts parts = SplitPath(full);
  return ModulePaths{std::string(parts.Directory), std::string(parts.Name)};
}

PathParts SplitPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view file = path.substr(fileStart);
  const std::size_t dot = file.rfind('.');
  PathParts parts;
  parts.Directory = path.substr(0, fileStart);
  parts.Name = dot == std::string_view::npos ? file : file.substr(0, dot);
  parts.Extension = dot == std::string_view::npos ? std::string_view() : file.substr(dot);
  return parts;
}

ResolvedPath ResolvePathFrom(std::string_view text, const std::string& moduleDirectory,
                             const std::string& workingDirectory) {
  const PathParts parts = SplitPath(text);
  if (parts.Name.empty() || parts.Extension.empty()) return std::nullopt;

  std::string resolved;
  if (parts.Directory.empty()) {
    resolved = moduleDirectory + std::string(text);
  } else if (text.front() == '/') {
    resolved = NormaliseAbsolute(text);
  } else {
    if (workingDirectory.empty() || workingDirectory.front() != '/') return std::nullopt;
    resolved = NormaliseAbsolute(workingDirectory + "/" + std::string(text));
  }
  if (resolved.size() >= PATH_MAX) return std::nullopt;
  return resolved;
}

ResolvedPath ResolvePath(std::string_view text) {
  if (SplitPath(text).Directory.empty()) {
    return ResolvePathFrom(text, RefreshModulePaths().Directory, std::string());
  }
  return ResolvePathFrom(text, std::string(), WorkingDirectory());
}

}  // namespace sensor::frontend
