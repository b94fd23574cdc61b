#include "frontend/common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sensor::frontend {

FileHandle OpenRegularFile(const std::string& path) {
  FileHandle none(nullptr, &std::fclose);
  // Without O_NONBLOCK, opening a named pipe waits for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return none;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return none;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return none;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return none;
  }
  return FileHandle(file, &std::fclose);
}

std::string UnreadableFileProblem(const std::string& path, std::uint64_t maxBytes) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? "does not exist" : std::string("cannot be read: ") + std::strerror(errno);
  }
  if (S_ISDIR(info.st_mode)) return "is a folder";
  if (!S_ISREG(info.st_mode)) return "is not a regular file";
  if (access(path.c_str(), R_OK) != 0) return std::string("cannot be read: ") + std::strerror(errno);
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    return "is larger than " + std::to_string(maxBytes) + " bytes";
  }
  return "cannot be read";
}

}  // namespace sensor::frontend
