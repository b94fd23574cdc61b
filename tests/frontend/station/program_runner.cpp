#include "program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sensor::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "sensor-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

ProgramOutput RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::string& stdinPath,
                         int timeoutSeconds) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe");
  // Standard error goes to a file of its own, read when the program has ended.
  std::string errorsPath = (fs::temp_directory_path() / "sensor-stderr-XXXXXX").string();
  const int errors = mkstemp(errorsPath.data());
  if (errors < 0) throw std::runtime_error("cannot make a file for standard error");

  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot start " + program);
  if (child == 0) {
    const int input = open(stdinPath.c_str(), O_RDONLY);
    if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(pipeEnds[1], STDOUT_FILENO) < 0 ||
        dup2(errors, STDERR_FILENO) < 0 || chdir(workingDirectory.c_str()) != 0) {
      _exit(127);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);

  ProgramOutput output;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      output.TimedOut = true;
      kill(child, SIGKILL);
      break;
    }
    pollfd ready{pipeEnds[0], POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left.count()));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) continue;
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output.Console.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeEnds[0]);

  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!output.TimedOut && WIFEXITED(status)) output.ExitCode = WEXITSTATUS(status);
  close(errors);
  output.Errors = ReadFile(errorsPath);
  fs::remove(errorsPath);
  return output;
}

void CopyFile(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

bool FileExists(const std::string& path) { return fs::exists(path); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << contents;
}

ProgramCopy::ProgramCopy(const std::string& program, const std::string& library)
    : program_(program) {
  const std::string builtPrograms = SENSOR_BIN_DIR;
  CopyFile(builtPrograms + "/" + program, folder_.File(program));
  // The library under every name it has: the development link a station copies,
  // the run-time name the program loads and the versioned file.
  for (const fs::directory_entry& entry : fs::directory_iterator(builtPrograms)) {
    const std::string name = entry.path().filename().string();
    if (name != library && name.rfind(library + ".", 0) != 0) continue;
    if (entry.is_symlink()) {
      fs::copy_symlink(entry.path(), folder_.File(name));
    } else {
      CopyFile(entry.path().string(), folder_.File(name));
    }
  }
  dir_ = fs::canonical(folder_.Path()).string() + "/";
}

ProgramOutput ProgramCopy::Run(const std::string& workingDirectory,
                               std::vector<std::string> arguments, int timeoutSeconds) const {
  arguments.insert(arguments.begin(), ProgramPath());
  return RunWithVector(workingDirectory, arguments, timeoutSeconds);
}

ProgramOutput ProgramCopy::RunWithVector(const std::string& workingDirectory,
                                         const std::vector<std::string>& argv,
                                         int timeoutSeconds) const {
  return RunProgram(ProgramPath(), argv, workingDirectory, "/dev/null", timeoutSeconds);
}

}  // namespace sensor::test
