#include "frontend/common/file_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace sensor::frontend {

FileReplacement::~FileReplacement() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  std::remove(temporary_.c_str());
}

bool FileReplacement::Open(const std::string& path, std::string& problem) {
  path_ = path;
  temporary_ = path + ".partial";
  error_ = 0;
  // A folder of that name would refuse the rename only at the end.
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    problem = "it is a folder";
    return false;
  }
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr) {
    problem = std::strerror(errno);
    return false;
  }
  return true;
}

void FileReplacement::Write(std::string_view bytes, bool flush) {
  if (file_ == nullptr || error_ != 0) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
      (flush && std::fflush(file_) != 0)) {
    error_ = errno != 0 ? errno : EIO;
  }
}

bool FileReplacement::Commit(std::string& problem) {
  if (file_ == nullptr) {
    problem = "the file was not opened";
    return false;
  }
  const bool closed = std::fclose(file_) == 0;
  const int closeError = errno;
  file_ = nullptr;
  if (error_ != 0 || !closed) {
    problem = std::strerror(error_ != 0 ? error_ : closeError);
    std::remove(temporary_.c_str());
    return false;
  }
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    problem = std::strerror(errno);
    std::remove(temporary_.c_str());
    return false;
  }
  return true;
}

namespace {

bool WriteInPlace(const std::string& path, std::string_view bytes, std::string& problem) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "w"), &std::fclose);
  if (!file) {
    problem = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  const int writeError = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) {
    problem = std::strerror(!written ? writeError : errno);
    return false;
  }
  return true;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view bytes, FileWrite how, std::string& problem) {
  if (how == FileWrite::InPlace) return WriteInPlace(path, bytes, problem);
  FileReplacement file;
  if (!file.Open(path, problem)) return false;
  file.Write(bytes);
  return file.Commit(problem);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::string problem;
  return WriteInPlace(path, bytes, problem);
}

}  // namespace sensor::frontend
