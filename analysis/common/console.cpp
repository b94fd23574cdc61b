#include "common/console.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <ctime>

namespace sensor {
namespace {

// The signals whose default action ends the program and that can reach it
// while it waits (sent by another process or by a closing terminal).
constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};
constexpr std::size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// The terminal's modes from before the wait, for the signal handler. Written
// before the handler is installed, read only by it and by the wait.
termios gSavedModes{};

// Puts the saved modes back, then lets the signal end the program by its
// default action: SA_RESETHAND has restored that action on entry, and the
// signal raised here arrives as soon as the handler returns. Async-signal-safe
// calls only.
extern "C" void RestoreModesAndReraise(int signalNumber) {
  const int savedErrno = errno;
  tcsetattr(STDIN_FILENO, TCSANOW, &gSavedModes);
  raise(signalNumber);
  errno = savedErrno;
}

// Installs the handler for every ending signal that has its default action now
// (an ignored or handled signal keeps what it has); `previous` keeps the
// actions to put back, `installed` which ones were replaced.
void InstallRestoreHandlers(struct sigaction (&previous)[kEndingSignalCount],
                            bool (&installed)[kEndingSignalCount]) {
  struct sigaction restore {};
  restore.sa_handler = RestoreModesAndReraise;
  sigemptyset(&restore.sa_mask);
  for (const int signalNumber : kEndingSignals) sigaddset(&restore.sa_mask, signalNumber);
  restore.sa_flags = static_cast<int>(SA_RESETHAND);
  for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
    installed[i] = sigaction(kEndingSignals[i], nullptr, &previous[i]) == 0 &&
                   (previous[i].sa_flags & SA_SIGINFO) == 0 &&
                   previous[i].sa_handler == SIG_DFL &&
                   sigaction(kEndingSignals[i], &restore, nullptr) == 0;
  }
}

void RemoveRestoreHandlers(const struct sigaction (&previous)[kEndingSignalCount],
                           const bool (&installed)[kEndingSignalCount]) {
  for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
    if (installed[i]) sigaction(kEndingSignals[i], &previous[i], nullptr);
  }
}

void ReadOneByte() {
  unsigned char key = 0;
  while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
  }
}

}  // namespace

void WaitForKey() {
  std::fflush(stdout);
  if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &gSavedModes) != 0) {
    ReadOneByte();
    return;
  }
  struct sigaction previous[kEndingSignalCount] = {};
  bool installed[kEndingSignalCount] = {};
  InstallRestoreHandlers(previous, installed);

  termios keyModes = gSavedModes;
  keyModes.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
  keyModes.c_iflag &= static_cast<tcflag_t>(~IXON);
  keyModes.c_cc[VMIN] = 1;
  keyModes.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &keyModes);
  ReadOneByte();
  tcsetattr(STDIN_FILENO, TCSANOW, &gSavedModes);

  RemoveRestoreHandlers(previous, installed);
}

}  // namespace sensor
