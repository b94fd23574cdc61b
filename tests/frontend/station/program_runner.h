// Running a built program the way a test station does: in a folder of its own,
// with its arguments, standard input from a file, and its console output and
// exit code captured.
#pragma once

#include <string>
#include <vector>

namespace sensor::test {

// A fresh folder under the system's temporary directory, removed with its
// contents at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // The path of a file in the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProgramOutput {
  int ExitCode = -1;      // -1 when the program did not exit normally
  std::string Console;    // everything written to standard output
  std::string Errors;     // everything written to standard error
  bool TimedOut = false;  // killed after the time allowed
};

// Runs `program` with `arguments` (argument 0 is the program path) in
// `workingDirectory`, standard input read from `stdinPath`. A program still
// running after `timeoutSeconds` is killed.
ProgramOutput RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory,
                         const std::string& stdinPath = "/dev/null", int timeoutSeconds = 60);

// Copies a file, keeping its permission bits (so a copied program still runs).
void CopyFile(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);

// A built test program copied with its analysis library from the build's
// program folder into a fresh folder, the way a test station installs them.
class ProgramCopy {
 public:
  ProgramCopy(const std::string& program, const std::string& library);

  // The folder's absolute path, ending in '/'.
  const std::string& Dir() const { return dir_; }
  // The absolute path of a file in the folder, beside the program.
  std::string File(const std::string& name) const { return dir_ + name; }
  std::string ProgramPath() const { return File(program_); }
  bool Exists(const std::string& name) const { return FileExists(File(name)); }
  std::string Read(const std::string& name) const { return ReadFile(File(name)); }
  void Write(const std::string& name, const std::string& text) const {
    WriteFile(File(name), text);
  }

  // Runs the copy in `workingDirectory` with its path as argument 0, then
  // `arguments`.
  ProgramOutput Run(const std::string& workingDirectory, std::vector<std::string> arguments,
                    int timeoutSeconds = 60) const;
  // Runs the copy in `workingDirectory` with exactly this argument vector (it
  // may be empty).
  ProgramOutput RunWithVector(const std::string& workingDirectory,
                              const std::vector<std::string>& argv, int timeoutSeconds = 60) const;

 private:
  std::string program_;
  TempFolder folder_;
  std::string dir_;
};

}  // namespace sensor::test
