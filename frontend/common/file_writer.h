// The front end's one way of writing a whole file, for every file a program,
// a tool or a test writes: the status file and data logs, the products of a
// run, the batch summary and report page, the simulator's files.
//
// In place: PATH is opened afresh (emptied) and written; a reader may see it
// while it is written, as stations expect of the status file and the logs.
// Through a temporary: the bytes go to "PATH.partial" in the same folder,
// which is renamed to PATH only once every byte is written and the file
// closed. A reader never sees half a file, and an earlier PATH stays as it was
// until the new one is complete; a file that could not be finished leaves no
// partial file behind.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace sensor::frontend {

enum class FileWrite { InPlace, ThroughTemporary };

// Writes `bytes` (text and binary are alike here) as the whole file at `path`;
// false, with the reason in `problem`, when it cannot be opened, written or
// put in place.
bool WriteWholeFile(const std::string& path, std::string_view bytes, FileWrite how, std::string& problem);

// In place, for callers that report a failure in words of their own.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// A file written through a temporary piece by piece (a summary that grows as
// jobs end).
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

}  // namespace sensor::frontend
