// The one progress line of a batch on a terminal: jobs done of the total,
// failed (FAIL) and errored (ERROR) jobs apart, rate and time left, rewritten in place. Nothing at all when the
// output is no terminal.
#pragma once

#include <chrono>
#include <cstddef>

#include "frontend/sensorbatch/report_page.h"

namespace sensor::batch {

class ProgressLine {
 public:
  explicit ProgressLine(std::size_t total);
  void JobEnded(PageVerdict verdict);
  // Ends the line.
  void Close();

 private:
  void Show();

  bool terminal_;
  std::size_t total_;
  std::size_t done_ = 0;
  std::size_t failed_ = 0;
  std::size_t errored_ = 0;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace sensor::batch
