// The score of every possible value against one reference (the global
// searches' levels), by the percent rule, and the range of values whose score
// does not exceed a gate.
//
// The score falls as a value nears the reference and rises as it moves away,
// so the values scoring at most a gate form one range; a row is screened by
// comparing its values with that range, and only the values outside are
// looked up and judged.
#pragma once

#include <cstdint>
#include <vector>

#include "waferon/core/scoring.h"

namespace sensor::waferon {

class ValueScores {
 public:
  ValueScores() = default;
  // Values 0 .. count - 1.
  ValueScores(double reference, bool percent, int count) { Set(reference, percent, count); }

  // The scores against `reference`, in the memory held already when it is large enough.
  void Set(double reference, bool percent, int count) {
    scores_.resize(static_cast<std::size_t>(count));
    lowest_ = 0;
    valley_ = true;
    for (int v = 0; v < count; ++v) scores_[static_cast<std::size_t>(v)] = PercentScore(reference, v, percent);
    for (int v = 1; v < count; ++v) {
      if (scores_[static_cast<std::size_t>(v)] < scores_[static_cast<std::size_t>(lowest_)]) lowest_ = v;
    }
    for (int v = 1; v < count; ++v) {
      const double before = scores_[static_cast<std::size_t>(v - 1)], now = scores_[static_cast<std::size_t>(v)];
      if (v <= lowest_ ? now > before : now < before) valley_ = false;
    }
  }

  double operator[](std::uint32_t v) const { return scores_[v]; }
  const double* Data() const { return scores_.data(); }

  // Values Lo .. Hi score at most the gate; Lo > Hi when none may be skipped.
  struct Range {
    std::int32_t Lo;
    std::int32_t Hi;
  };

  Range AtMost(double gate) const {
    const auto at = [this](std::int32_t v) { return scores_[static_cast<std::size_t>(v)]; };
    if (!valley_ || !(at(lowest_) <= gate)) return Range{1, 0};
    // First value of 0 .. lowest_ at or below the gate (scores fall there).
    std::int32_t a = 0, b = lowest_;
    while (a < b) {
      const std::int32_t m = a + (b - a) / 2;
      if (at(m) <= gate) b = m; else a = m + 1;
    }
    const std::int32_t lo = a;
    // Last value of lowest_ .. count - 1 at or below the gate (scores rise).
    a = lowest_;
    b = static_cast<std::int32_t>(scores_.size()) - 1;
    while (a < b) {
      const std::int32_t m = a + (b - a + 1) / 2;
      if (at(m) <= gate) a = m; else b = m - 1;
    }
    return Range{lo, a};
  }

 private:
  std::vector<double> scores_;
  std::int32_t lowest_ = 0;  // the first value with the smallest score
  bool valley_ = true;       // scores fall up to lowest_ and rise after it
};

}  // namespace sensor::waferon
