#include "frontend/sensorbatch/progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace sensor::batch {

ProgressLine::ProgressLine(std::size_t total)
    : terminal_(isatty(STDOUT_FILENO) != 0),
      total_(total),
      start_(std::chrono::steady_clock::now()) {
  Show();
}

void ProgressLine::JobEnded(PageVerdict verdict) {
  ++done_;
  if (verdict == PageVerdict::Fail) ++failed_;
  if (verdict == PageVerdict::Error) ++errored_;
  Show();
}

void ProgressLine::Show() {
  if (!terminal_) return;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0.0;
  std::printf("\r%zu of %zu jobs done, %zu failed, %zu errored", done_, total_, failed_, errored_);
  if (done_ > 0 && rate > 0) {
    const double left = static_cast<double>(total_ - done_) / rate;
    std::printf(", %.1f jobs/s, %.0f s left", rate, left);
  }
  std::printf("\033[K");
  std::fflush(stdout);
}

void ProgressLine::Close() {
  if (!terminal_) return;
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace sensor::batch
