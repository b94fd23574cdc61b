#include "console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace sensor {

void WaitForKey() {
  std::fflush(stdout);
  unsigned char key = 0;
  if (isatty(STDIN_FILENO)) {
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) == 0) {
      termios raw = saved;
      raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
      raw.c_cc[VMIN] = 1;
      raw.c_cc[VTIME] = 0;
      tcsetattr(STDIN_FILENO, TCSANOW, &raw);
      [[maybe_unused]] const ssize_t n = read(STDIN_FILENO, &key, 1);
      tcsetattr(STDIN_FILENO, TCSANOW, &saved);
      return;
    }
  }
  [[maybe_unused]] const ssize_t n = read(STDIN_FILENO, &key, 1);
}

std::uint32_t TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace sensor
