// The key wait of a run without -slave, on a pseudo-terminal that is the
// program's controlling terminal: every key ends the wait with the run's own
// exit code, and the terminal's modes are put back on every path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <utmp.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "program_run_test.h"
#include "test_image.h"

namespace sensor::test {
namespace {

// The program started on a fresh pseudo-terminal; the test holds both ends.
class TerminalRun {
 public:
  TerminalRun(const ProgramCopy& copy, std::vector<std::string> argv) {
    argv.insert(argv.begin(), copy.ProgramPath());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    fcntl(master_, F_SETFL, O_NONBLOCK);
    before_ = Modes();
    child_ = fork();
    if (child_ == 0) {
      if (login_tty(slave_) != 0 || chdir(copy.Dir().c_str()) != 0) _exit(127);
      execv(pointers[0], pointers.data());
      _exit(127);
    }
  }
  ~TerminalRun() {
    if (child_ > 0 && status_ == -1) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    close(master_);
    close(slave_);
  }

  termios Modes() const {
    termios now{};
    tcgetattr(slave_, &now);
    return now;
  }
  bool ModesAsBefore() const {
    const termios now = Modes();
    return now.c_iflag == before_.c_iflag && now.c_oflag == before_.c_oflag &&
           now.c_cflag == before_.c_cflag && now.c_lflag == before_.c_lflag &&
           std::equal(now.c_cc, now.c_cc + NCCS, before_.c_cc);
  }
  // Waits (bounded), taking the program's output, until line mode is off.
  bool WaitForPrompt() {
    return Await([this] { return (Modes().c_lflag & ICANON) == 0; });
  }
  // The wait status once the program has ended; -1 when it did not end in time.
  int WaitForEnd() {
    Await([this] { return waitpid(child_, &status_, WNOHANG) == child_; });
    return status_;
  }
  pid_t Pid() const { return child_; }
  void Type(char key) const { ASSERT_EQ(write(master_, &key, 1), 1); }

 private:
  template <class Done>
  bool Await(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char buffer[256];
    while (child_ > 0 && !done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      while (read(master_, buffer, sizeof buffer) > 0) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return child_ > 0;
  }

  int master_ = -1, slave_ = -1, status_ = -1;
  pid_t child_ = -1;
  termios before_{};
};

class OstrelrunKeyWait : public ProgramRunTest {
 protected:
  OstrelrunKeyWait() : ProgramRunTest("Ostrelrun", "libOstrel.so") {
    TestImage picture(8, 6);
    picture.FillBgr(10, 20, 30);
    picture.WriteFile(Beside("img.bmp"));
  }
};

TEST_F(OstrelrunKeyWait, SignalKeysCountAsTheKeyAndTheRunKeepsItsVerdict) {
  // Ctrl-C and Ctrl-\ after a passing run, Ctrl-Z after a picture not found.
  for (const auto& [key, picture, exitCode] :
       {std::tuple{'\x03', "img.bmp", 0}, {'\x1c', "img.bmp", 0}, {'\x1a', "none.bmp", 1}}) {
    SCOPED_TRACE(static_cast<int>(key));
    TerminalRun run(copy, {"-BMPFileIn", picture});
    ASSERT_TRUE(run.WaitForPrompt());
    EXPECT_EQ(run.Modes().c_lflag & (ECHO | ISIG), 0u);
    run.Type(key);
    const int status = run.WaitForEnd();
    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), exitCode);
    EXPECT_TRUE(run.ModesAsBefore());
  }
}

TEST_F(OstrelrunKeyWait, ASignalDuringTheWaitEndsTheRunWithTheModesPutBack) {
  for (const int signalNumber : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    TerminalRun run(copy, {"-BMPFileIn", "img.bmp"});
    ASSERT_TRUE(run.WaitForPrompt());
    kill(run.Pid(), signalNumber);
    const int status = run.WaitForEnd();
    ASSERT_TRUE(WIFSIGNALED(status)) << "wait status " << status;
    EXPECT_EQ(WTERMSIG(status), signalNumber);
    EXPECT_TRUE(run.ModesAsBefore());
  }
}

}  // namespace
}  // namespace sensor::test
