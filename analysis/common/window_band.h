// Exact window sums for the local searches, at a cost per pixel that does not
// grow with the window: the one implementation both window libraries use.
//
// A band holds, for every column of a region, the sum of one value over a
// range of rows (every row, or every second row for the sites of one Bayer
// colour), plus prefix sums along the row. Moving the band down adds the
// entering rows and removes the leaving ones, in one pass that the caller
// hands in for its pixel layout (mostly the row kernels' UpdateColumns), so
// each pixel is read twice per band. Any window of the covered rows then sums
// in O(1) from two prefix entries.
//
// The prefix sums run over every column (prefix step 1) or over every second
// column (prefix step 2: the two column parities side by side, for the sites
// of one Bayer colour among all columns).
//
// Lane is the unsigned type of the column and prefix sums. Sums wrap around
// modulo its range, and the difference of two prefix sums stays the exact
// window sum as long as every window's true sum fits in a Lane: 32 bits serve
// windows whose sums stay below 2^32 (the caller checks before choosing them),
// at twice the vector width of 64 bits. The prefix sums are a row kernel
// (kernels/prefix_sum_rows.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/kernels/common_kernels.h"
#include "common/precondition.h"

namespace sensor {

// Row marker for "no row" in a band update.
inline constexpr std::int64_t kNoRow = -1;

// The pixel rows of a region: the first byte of the region's left pixel in
// row 0, the byte distance from one picture row to the next, the columns.
struct RowSource {
  const std::uint8_t* Origin;
  std::ptrdiff_t RowStep;
  std::int64_t Columns;

  const std::uint8_t* Row(std::int64_t y) const { return Origin + y * RowStep; }
  const std::uint8_t* RowOrNull(std::int64_t y) const { return y == kNoRow ? nullptr : Row(y); }
};

// A band update through the row kernels: adds `values` of row `enter` of
// `source` to columns[0 .. source.Columns - 1] and subtracts those of row
// `leave` (either may be kNoRow).
template <class Lane>
void UpdateColumns(const ColumnValues& values, const RowSource& source, std::int64_t enter, std::int64_t leave,
                   Lane* columns) {
  ActiveCommonKernels().UpdateColumns.Of<Lane>()(values, source.RowOrNull(enter), source.RowOrNull(leave), columns,
                                                  source.Columns);
}

template <class Lane = std::uint64_t>
class WindowBand {
 public:
  // `columns` column sums, queried by index 0 .. columns - 1. Rows are covered
  // `rowStep` apart (1 or 2); windows take every column (prefixStep 1) or
  // every second one (prefixStep 2). The band starts empty.
  void Reset(std::size_t columns, std::int64_t rowStep, std::int64_t prefixStep) {
    SENSOR_PRECONDITION(rowStep == 1 || rowStep == 2);
    SENSOR_PRECONDITION(prefixStep == 1 || prefixStep == 2);
    rowStep_ = rowStep;
    prefixStep_ = prefixStep;
    columns_.assign(columns, 0);
    prefix_.assign(columns + static_cast<std::size_t>(prefixStep), 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  // Makes the band cover rows y0, y0 + rowStep, ... up to y1 (no row when
  // y1 < y0; y0 >= 0 otherwise). update(enter, leave, columns) adds row
  // `enter`'s values to columns[0 .. Columns() - 1] and subtracts row
  // `leave`'s; either may be kNoRow. Moving down keeps the rows the band
  // shares with its previous range and pairs each leaving row with an
  // entering one.
  template <class Update>
  void Cover(std::int64_t y0, std::int64_t y1, const Update& update) {
    if (y1 < y0) {
      if (!Empty()) {
        std::fill(columns_.begin(), columns_.end(), Lane{0});
        std::fill(prefix_.begin(), prefix_.end(), Lane{0});
        rowFirst_ = 0;
        rowLast_ = -1;
      }
      return;
    }
    SENSOR_PRECONDITION(y0 >= 0);
    y1 = y0 + (y1 - y0) / rowStep_ * rowStep_;
    if (y0 == rowFirst_ && y1 == rowLast_) return;
    Lane* columns = columns_.data();
    if (!Empty() && y0 >= rowFirst_ && y0 <= rowLast_ + rowStep_ && y1 >= rowLast_ &&
        (y0 - rowFirst_) % rowStep_ == 0) {
      std::int64_t leave = rowFirst_, enter = rowLast_ + rowStep_;
      for (; leave < y0 && enter <= y1; leave += rowStep_, enter += rowStep_) update(enter, leave, columns);
      for (; leave < y0; leave += rowStep_) update(kNoRow, leave, columns);
      for (; enter <= y1; enter += rowStep_) update(enter, kNoRow, columns);
    } else {
      std::fill(columns_.begin(), columns_.end(), Lane{0});
      for (std::int64_t y = y0; y <= y1; y += rowStep_) update(y, kNoRow, columns);
    }
    rowFirst_ = y0;
    rowLast_ = y1;
    BuildPrefix();
  }

  // The one update that moves the band onto new rows, for a caller that
  // applies it itself in passes of its own: the rows First ... Last to cover,
  // the row that enters and the row that leaves (either may be kNoRow).
  struct Move {
    std::int64_t First = 0, Last = -1;
    std::int64_t Enter = kNoRow, Leave = kNoRow;
  };

  // Whether covering rows y0 ... y1 (as Cover, y1 >= y0 >= 0) takes at most
  // one update from the rows covered now; if so, `move` says which. The band
  // is left as it is.
  bool PlanOneMove(std::int64_t y0, std::int64_t y1, Move& move) const {
    if (Empty() || y1 < y0 || y0 < rowFirst_) return false;
    y1 = y0 + (y1 - y0) / rowStep_ * rowStep_;
    if (y1 < rowLast_ || (y0 - rowFirst_) % rowStep_ != 0 || y0 > rowFirst_ + rowStep_ ||
        y1 > rowLast_ + rowStep_) {
      return false;
    }
    move = Move{y0, y1, y1 > rowLast_ ? y1 : kNoRow, y0 > rowFirst_ ? rowFirst_ : kNoRow};
    return true;
  }

  // Takes the rows of a planned move whose update the caller has applied to
  // ColumnsToMove() and whose prefix sums (prefix step 1) it has rebuilt in
  // PrefixToBuild(), as PrefixSums of the common kernels would.
  void Moved(const Move& move) {
    rowFirst_ = move.First;
    rowLast_ = move.Last;
  }
  Lane* ColumnsToMove() { return columns_.data(); }
  Lane* PrefixToBuild() { return prefix_.data(); }

  // Sum over the covered rows and the columns i0, i0 + prefixStep, ... up to
  // i1 (of the same parity when prefixStep is 2); 0 when i1 < i0.
  Lane Sum(std::size_t i0, std::size_t i1) const {
    if (i1 < i0) return 0;
    SENSOR_PRECONDITION(i1 < columns_.size() && (i1 - i0) % static_cast<std::size_t>(prefixStep_) == 0);
    return static_cast<Lane>(prefix_[i1 + static_cast<std::size_t>(prefixStep_)] - prefix_[i0]);
  }

  // The prefix sums: Sum(i0, i1) is Prefix()[i1 + prefixStep] - Prefix()[i0].
  const Lane* Prefix() const { return prefix_.data(); }

  std::size_t Columns() const { return columns_.size(); }
  // Number of rows the band covers.
  std::int64_t Rows() const { return Empty() ? 0 : (rowLast_ - rowFirst_) / rowStep_ + 1; }

 private:
  bool Empty() const { return rowLast_ < rowFirst_; }

  void BuildPrefix() {
    ActiveCommonKernels().PrefixSums.Of<Lane>()(columns_.data(), prefix_.data(), columns_.size(),
                                                static_cast<std::size_t>(prefixStep_));
  }

  std::int64_t rowStep_ = 1;
  std::int64_t prefixStep_ = 1;
  std::int64_t rowFirst_ = 0;
  std::int64_t rowLast_ = -1;
  std::vector<Lane> columns_;
  std::vector<Lane> prefix_;  // prefix_[i + prefixStep] = columns i, i - prefixStep, ... summed
};

}  // namespace sensor
