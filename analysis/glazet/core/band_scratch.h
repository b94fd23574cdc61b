// The band scans' column sums, kept between runs: one set per thread part
// (window_search.h's ScanInRowParts), each sized up on first use and reused by
// every later scan, which resets what it reads before reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "glazet/core/lattice_band.h"

namespace sensor::glazet {

// One part's bands: an outer and an inner one in each sum width.
struct PartBands {
  LatticeBand<std::uint32_t> Narrow[2];
  LatticeBand<std::uint64_t> Wide[2];

  template <class Sum>
  LatticeBand<Sum>* Of() {
    if constexpr (sizeof(Sum) == 4) {
      return Narrow;
    } else {
      return Wide;
    }
  }
};

// The parts' sets; may throw std::bad_alloc when a set is first made.
class BandScratch {
 public:
  // Makes sure the first `count` parts have a set (before any part runs).
  void Reserve(int count) {
    if (parts_.size() < static_cast<std::size_t>(count)) parts_.resize(static_cast<std::size_t>(count));
  }
  PartBands& Part(int part) { return parts_[static_cast<std::size_t>(part)]; }

 private:
  std::vector<PartBands> parts_;
};

}  // namespace sensor::glazet
