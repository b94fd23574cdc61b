// The four pixel searches: every pixel of the search region, row by row and
// left to right, gets a score and a colour; every score is offered to the
// worst-pixel table, and a pixel whose score passes a threshold of its colour
// is appended to the candidate list. A search stops at once, without appending,
// when a candidate arrives while the list already holds more than the limit.
// The rows are searched in parts on the analysis threads (split_scan.h), with
// exactly what one thread leaves.
#pragma once

#include <array>
#include <cstdint>

#include "common/image_binding.h"
#include "common/levels.h"
#include "common/rect.h"
#include "common/sample_rule.h"
#include "waferon/core/defect_lists.h"
#include "waferon/core/result_table.h"
#include "waferon/core/scoring.h"

namespace sensor::waferon {

class SearchScratch;

// What a search reads.
struct SearchSetup {
  ImageBinding Image;
  Rect Region;  // inside the picture, possibly empty
  ThresholdTables Thresholds;
  bool Percent = false;
  std::int32_t WindowSize = 0;  // the local searches' HammerSize, not negative
  LevelSet Levels{};            // references of the global searches
  SampleRule Rule;              // Bayer samples
  std::array<bool, 5> Enabled{true, true, true, true, true};  // Bayer local only
  // The memory the search works in (search_scratch.h), kept for the next
  // search; none: the search makes its own and frees it at its end.
  SearchScratch* Scratch = nullptr;
};

// What a search writes.
struct SearchTargets {
  ResultTable* WorstPixels = nullptr;  // no table: nothing is recorded
  CandidateList* Candidates = nullptr;
  std::uint32_t CandidateLimit = 0;
};

enum class SearchOutcome { Completed, Stopped };

// Bayer global: the reference of a pixel is the level of its colour.
SearchOutcome BayerGlobalSearch(const SearchSetup& setup, const SearchTargets& targets);
// Bayer local: the reference is the mean of the other sites of the pixel's
// colour in its window; pixels of colours switched off are skipped.
SearchOutcome BayerLocalSearch(const SearchSetup& setup, const SearchTargets& targets);
// Colour global: per channel the reference is the channel's level.
SearchOutcome ColourGlobalSearch(const SearchSetup& setup, const SearchTargets& targets);
// Colour local: per channel the reference is the mean of the other pixels of
// the pixel's box.
SearchOutcome ColourLocalSearch(const SearchSetup& setup, const SearchTargets& targets);

}  // namespace sensor::waferon
