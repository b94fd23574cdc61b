// Exact window sums for the local searches, at a cost per pixel that does not
// grow with the window.
//
// A band holds, for every column of a region, the sum of a per-pixel value over
// a range of rows (every row, or every second row for the sites of one Bayer
// colour), plus prefix sums along the row. A scan moves the band down row by
// row: rows that leave the range are subtracted and rows that enter are added,
// so each pixel is read twice per band. Any window of the covered rows then sums
// in O(1) from two prefix entries. All sums are exact 64-bit integers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sensor {

class BandSums {
 public:
  // Columns xBegin..xEnd may be queried; step is 1 (every column and row) or 2
  // (every second column and row). The band starts empty.
  void Reset(std::int64_t xBegin, std::int64_t xEnd, std::int64_t step) {
    xBegin_ = xBegin;
    step_ = step;
    const std::size_t n = xEnd >= xBegin ? static_cast<std::size_t>(xEnd - xBegin + 1) : 0;
    columns_.assign(n, 0);
    prefix_.assign(n + static_cast<std::size_t>(step), 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  // Makes the band cover rows y0, y0 + step, ... up to y1 (no row when y1 < y0).
  // `value(x, y)` gives the value of the pixel in column x and row y. Moving the
  // band down keeps the rows it shares with its previous range.
  template <class Value>
  void Cover(std::int64_t y0, std::int64_t y1, const Value& value) {
    if (y1 < y0) {
      if (rowLast_ >= rowFirst_) Clear();
      return;
    }
    y1 = y0 + (y1 - y0) / step_ * step_;
    if (y0 == rowFirst_ && y1 == rowLast_) return;
    const bool empty = rowLast_ < rowFirst_;
    const bool sameLattice = ((y0 - rowFirst_) % step_) == 0;
    if (!empty && sameLattice && y0 >= rowFirst_ && y1 >= rowLast_ && y0 <= rowLast_) {
      for (std::int64_t y = rowFirst_; y < y0; y += step_) AddRow(y, value, -1);
      for (std::int64_t y = rowLast_ + step_; y <= y1; y += step_) AddRow(y, value, +1);
    } else {
      if (!empty) Clear();
      for (std::int64_t y = y0; y <= y1; y += step_) AddRow(y, value, +1);
    }
    rowFirst_ = y0;
    rowLast_ = y1;
    BuildPrefix();
  }

  // Sum over the covered rows and columns x0, x0 + step, ... up to x1. Both ends
  // lie in the band's columns and have the same parity when step is 2; 0 when
  // x1 < x0.
  std::uint64_t Sum(std::int64_t x0, std::int64_t x1) const {
    if (x1 < x0) return 0;
    return prefix_[static_cast<std::size_t>(x1 - xBegin_ + step_)] -
           prefix_[static_cast<std::size_t>(x0 - xBegin_)];
  }

  // Number of rows the band covers.
  std::int64_t Rows() const { return rowLast_ < rowFirst_ ? 0 : (rowLast_ - rowFirst_) / step_ + 1; }

 private:
  template <class Value>
  void AddRow(std::int64_t y, const Value& value, int sign) {
    const std::size_t n = columns_.size();
    if (sign > 0) {
      for (std::size_t i = 0; i < n; ++i) columns_[i] += value(xBegin_ + static_cast<std::int64_t>(i), y);
    } else {
      for (std::size_t i = 0; i < n; ++i) columns_[i] -= value(xBegin_ + static_cast<std::int64_t>(i), y);
    }
  }

  void Clear() {
    std::fill(columns_.begin(), columns_.end(), 0);
    std::fill(prefix_.begin(), prefix_.end(), 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  void BuildPrefix() {
    const std::size_t n = columns_.size(), s = static_cast<std::size_t>(step_);
    for (std::size_t i = 0; i < n; ++i) prefix_[i + s] = prefix_[i] + columns_[i];
  }

  std::int64_t xBegin_ = 0;
  std::int64_t step_ = 1;
  std::int64_t rowFirst_ = 0;
  std::int64_t rowLast_ = -1;
  std::vector<std::uint64_t> columns_;
  std::vector<std::uint64_t> prefix_;
};

}  // namespace sensor
