// The memory a search works in, kept between runs: one set per thread part
// (split_scan.h), each sized up on first use and reused as it is by every
// later search, so that a run on a picture no larger than the last one takes
// no new memory for its search. Nothing in it carries over from one search to
// the next: every search sets what it reads before reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <vector>

#include "common/window_band.h"
#include "waferon/core/channel_bands.h"
#include "waferon/core/local_windows.h"
#include "waferon/core/scan_sink.h"
#include "waferon/core/value_scores.h"

namespace sensor::waferon {

// What one part of a search works in.
struct PartScratch {
  std::vector<std::uint8_t> MayPass;  // the marks of a row
  AxisWindows Columns;                // the local windows of the region's columns
  ValueScores Scores[5];              // the global searches' value scores
  // Bayer local: the rows' samples by parity, or the searched row's own.
  std::vector<std::uint16_t> Rings[2];
  std::vector<std::uint16_t> OwnSamples;
  WindowBand<std::uint32_t> NarrowBands[2];
  WindowBand<std::uint64_t> WideBands[2];
  // Colour local: the channel sums in each of their forms.
  std::tuple<PlanarChannelBands<3, std::uint16_t>, PlanarChannelBands<4, std::uint16_t>,
             PlanarChannelBands<3, std::uint32_t>, PlanarChannelBands<4, std::uint32_t>,
             SeparateChannelBands<3>, SeparateChannelBands<4>>
      Channels;
  std::vector<ScanEvent> Events;  // a later part's recording

  template <class Lane>
  WindowBand<Lane>* Bands() {
    if constexpr (sizeof(Lane) == 4) {
      return NarrowBands;
    } else {
      return WideBands;
    }
  }
};

// The parts' sets; may throw std::bad_alloc when a set is first made.
class SearchScratch {
 public:
  // Makes sure the first `count` parts have a set (before any part runs).
  void Reserve(int count) {
    if (parts_.size() < static_cast<std::size_t>(count)) parts_.resize(static_cast<std::size_t>(count));
  }
  PartScratch& Part(int part) { return parts_[static_cast<std::size_t>(part)]; }

 private:
  std::vector<PartScratch> parts_;
};

}  // namespace sensor::waferon
