// Opening an input file of a run (bitmap, settings, limits) for reading, but
// only when it is a regular file: a named pipe would wait for a writer without
// end, a device such as /dev/zero never ends, and a directory holds no bytes.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace sensor::frontend {

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The file opened for binary reading; null when it cannot be opened or is not
// a regular file. Opening never blocks.
FileHandle OpenRegularFile(const std::string& path);

}  // namespace sensor::frontend
