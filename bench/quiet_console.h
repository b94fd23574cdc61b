// Execute prints its progress lines; they would bury the benchmark's table.
// While a QuietConsole lives, standard output goes to /dev/null.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace sensor::bench {

class QuietConsole {
 public:
  QuietConsole() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int sink = open("/dev/null", O_WRONLY);
    if (sink >= 0) {
      dup2(sink, STDOUT_FILENO);
      close(sink);
    }
  }
  ~QuietConsole() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, STDOUT_FILENO);
      close(saved_);
    }
  }
  QuietConsole(const QuietConsole&) = delete;
  QuietConsole& operator=(const QuietConsole&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace sensor::bench
