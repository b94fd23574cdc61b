// Writing a file so that it is whole or not there: the bytes go to
// "PATH.partial" in the same folder, which is renamed to PATH only once every
// byte is written and the file closed. A reader never sees half a file, and an
// earlier PATH stays as it was until the new one is complete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace sensor::frontend {

class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  // A replacement not committed is removed.
  ~FileReplacement();

  // Creates "PATH.partial"; false, with the reason, when it cannot be made or
  // PATH is a folder.
  bool Open(const std::string& path, std::string& problem);
  // Appends the bytes (flushed to the partial file at once when `flush`).
  void Write(std::string_view bytes, bool flush = false);
  // Closes the partial file and renames it to PATH; false, with the reason and
  // the partial file removed, when a write, the close or the rename failed.
  bool Commit(std::string& problem);

 private:
  std::string path_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;  // the first write's errno; 0 none
};

// The whole file through a FileReplacement.
bool WriteThroughTemporary(const std::string& path, const std::string& bytes, std::string& problem);

}  // namespace sensor::frontend
