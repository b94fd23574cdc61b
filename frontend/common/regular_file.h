// Opening an input file of a run (bitmap, settings, limits) for reading, but
// only when it is a regular file: a named pipe would wait for a writer without
// end, a device such as /dev/zero never ends, and a directory holds no bytes.
#pragma once

#include <cstdio>
#include <memory>
#include <cstdint>
#include <limits>
#include <string>

namespace sensor::frontend {

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The file opened for binary reading; null when it cannot be opened or is not
// a regular file. Opening never blocks.
FileHandle OpenRegularFile(const std::string& path);

// Why an input file cannot be read, for a diagnostic: "does not exist", "is a
// folder", "is not a regular file", "cannot be read: <reason>", or, for a
// file above `maxBytes`, "is larger than N bytes"; "cannot be read" when no
// reason is found (a read error midway).
std::string UnreadableFileProblem(const std::string& path,
                                  std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());

}  // namespace sensor::frontend
