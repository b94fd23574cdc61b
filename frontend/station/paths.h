// Where a test program's files are: its own directory and base name, and the
// resolution of the paths that its options name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sensor::frontend {

// A path the program uses, or nothing when its option was not given or was
// refused. Absent paths are shown as "(null)".
using ResolvedPath = std::optional<std::string>;

const char* Shown(const ResolvedPath& path);

// The running program's directory (ending in '/') and its file name without
// extension (common/output_folder.h reads them); both empty when they cannot be
// read.
struct ModulePaths {
  std::string Directory;
  std::string BaseName;
};

// Reads the module paths afresh; called before every use.
ModulePaths RefreshModulePaths();

// A path split at its last '/' and at the last '.' of its file part.
struct PathParts {
  std::string_view Directory;  // up to and including the last '/'
  std::string_view Name;       // file name without extension
  std::string_view Extension;  // from the last '.' of the file part on
};

PathParts SplitPath(std::string_view path);

// Resolves an option's path:
//  - without a file name or without an extension it is refused (absent);
//  - a bare file name means the file beside the program: module directory and
//    name joined;
//  - a path with a directory part becomes absolute against the working
//    directory and is normalised lexically ("." and ".." parts, repeated '/');
//    the file need not exist;
//  - a result longer than the platform's path limit is refused.
ResolvedPath ResolvePathFrom(std::string_view text, const std::string& moduleDirectory,
                             const std::string& workingDirectory);

// ResolvePathFrom with the program's directory and the current working directory.
ResolvedPath ResolvePath(std::string_view text);

// The current working directory; empty when it cannot be read.
std::string WorkingDirectory();

// A folder named on the command line or in the settings, as an absolute path
// ending in '/': absolute as given, any other text (a bare name too) against
// `workingDirectory`; normalised like ResolvePathFrom. Empty when the text is
// empty, the working directory is unknown or the result is too long.
std::string NormalisedFolder(std::string_view text, const std::string& workingDirectory);

}  // namespace sensor::frontend
