// A search's rows in parts on the analysis threads (common/parallel_rows.h),
// with exactly the results of one thread.
//
// The first part is searched straight into the targets on the calling thread.
// Every later part is searched at the same time on a thread of its own into a
// recording sink (scan_sink.h); then, in row order, each recording is replayed
// through the targets as if its part were being searched in its turn, so the
// table, the candidate list and the point where the search stops on the
// candidate limit are those of one thread. A part whose recording was cut
// short (more offers than it may keep, or out of memory) is searched again in
// its turn, straight into the targets.
#pragma once

#include <cstdint>

#include "waferon/core/scan_sink.h"
#include "waferon/core/search.h"
#include "waferon/core/search_scratch.h"

namespace sensor::waferon {

// A search over the region's rows first .. last, into `sink`, working in
// `scratch` (its part's own). The rows of one call are searched in order; the
// sink is asked Cancelled() at each row.
using RowScan = SearchOutcome (*)(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch,
                                  std::int32_t first, std::int32_t last);

// Runs `scan` over every row of the region (none when it is empty).
SearchOutcome ScanRows(RowScan scan, const SearchSetup& setup, const SearchTargets& targets);

}  // namespace sensor::waferon
