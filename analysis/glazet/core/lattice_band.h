// The shared window band seen by picture column: one lattice of columns (every
// column, or every second column) from a first column on, each lattice column
// one entry of the band, so that any window of lattice columns sums in O(1).
//
// The searches' row readers say which value of each lattice column the band
// sums (Values) and where the rows lie (Source); Cover moves the band through
// the row kernels' update. Prefetch asks for a row's columns ahead of its
// update; the readers ignore rows outside the picture, and RowInside gives
// null for them.
#pragma once

#include <cstdint>

#include "common/window_band.h"
#include "glazet/kernels/glazet_kernels.h"

namespace sensor::glazet {

template <class Sum>
class LatticeBand {
 public:
  // Columns first, first + step, ... up to last, and rows `step` apart. The
  // band starts empty.
  void Reset(std::int64_t first, std::int64_t last, std::int64_t step) {
    first_ = first;
    step_ = step;
    const std::int64_t n = last >= first ? (last - first) / step + 1 : 0;
    band_.Reset(static_cast<std::size_t>(n), step, 1);
  }

  std::int64_t FirstColumn() const { return first_; }
  std::int64_t Columns() const { return static_cast<std::int64_t>(band_.Columns()); }
  std::int64_t IndexOf(std::int64_t x) const { return (x - first_) / step_; }

  // Makes the band cover rows y0, y0 + step, ... up to y1 (none when y1 < y0).
  template <class Rows>
  void Cover(std::int64_t y0, std::int64_t y1, const Rows& rows) {
    const auto n = static_cast<std::int64_t>(band_.Columns());
    const ColumnValues values = rows.Values();
    const RowSource source = rows.Source(n);
    band_.Cover(y0, y1, [&](std::int64_t enter, std::int64_t leave, Sum* columns) {
      UpdateColumns(values, source, enter, leave, columns);
    });
    // The row the band takes in next, asked for while this row is searched.
    rows.Prefetch(y1 + step_, n);
  }

  // When covering rows y0 ... y1 takes at most one update, takes those rows
  // and returns the update in `move` for a kernel that applies it and rebuilds
  // the prefix sums before the band is next asked (MarkLocalRow32); false,
  // with the band left as it is, when Cover must do the work.
  template <class Rows>
  bool MoveByKernel(std::int64_t y0, std::int64_t y1, const Rows& rows, std::int64_t half, BandRowMove& move) {
    typename WindowBand<Sum>::Move planned;
    if (!band_.PlanOneMove(y0, y1, planned)) return false;
    const auto n = static_cast<std::int64_t>(band_.Columns());
    const RowSource source = rows.Source(n);
    move = BandRowMove{source.RowOrNull(planned.Enter), source.RowOrNull(planned.Leave), band_.ColumnsToMove(),
                       band_.PrefixToBuild(), half, rows.RowInside(planned.Last + step_)};
    band_.Moved(planned);
    return true;
  }

  // The same for a band that Cover has moved: no row to update, the prefix
  // sums rebuilt as they are.
  BandRowMove StillForKernel(std::int64_t half) {
    return BandRowMove{nullptr, nullptr, band_.ColumnsToMove(), band_.PrefixToBuild(), half, nullptr};
  }

  // Prefix sums: Prefix()[i] is the sum of the first i column sums.
  const Sum* Prefix() const { return band_.Prefix(); }

  // Sum over the covered rows and lattice columns x0 ... x1; 0 when x1 < x0.
  Sum WindowSum(std::int64_t x0, std::int64_t x1) const {
    if (x1 < x0) return 0;
    return band_.Sum(static_cast<std::size_t>(IndexOf(x0)), static_cast<std::size_t>(IndexOf(x1)));
  }

 private:
  std::int64_t first_ = 0;
  std::int64_t step_ = 1;
  WindowBand<Sum> band_;
};

}  // namespace sensor::glazet
