// Column sums of one lattice of columns (every column, or every second column)
// over a range of rows of the same lattice, moved down the picture row by row,
// with prefix sums along the row. Any window of lattice columns then sums in
// O(1), whatever its size, and moving the band down one lattice row reads two
// rows of pixels.
//
// Sum is std::uint32_t or std::uint64_t. The prefix sums may wrap around in
// 32 bits; the difference of two of them is still the exact window sum as long
// as that sum stays below 2^32, which the caller guarantees before choosing
// 32 bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace sensor::glazet {

template <class Sum>
class LatticeBand {
 public:
  // Columns first, first + step, ... up to last. The band starts empty.
  void Reset(std::int64_t first, std::int64_t last, std::int64_t step) {
    first_ = first;
    step_ = step;
    const std::int64_t n = last >= first ? (last - first) / step + 1 : 0;
    columns_.assign(static_cast<std::size_t>(n), 0);
    prefix_.assign(static_cast<std::size_t>(n) + 1, 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  std::int64_t FirstColumn() const { return first_; }
  std::int64_t Size() const { return static_cast<std::int64_t>(columns_.size()); }
  std::int64_t IndexOf(std::int64_t x) const { return (x - first_) / step_; }

  // Makes the band cover rows y0, y0 + step, ... up to y1. `rows` adds a row of
  // pixel values to the column sums (Add) or moves one row out and one in
  // (Move); see the readers of the searches.
  template <class Rows>
  void Cover(std::int64_t y0, std::int64_t y1, const Rows& rows) {
    if (y1 < y0) {
      Clear();
      BuildPrefix();
      return;
    }
    y1 = y0 + (y1 - y0) / step_ * step_;
    if (y0 == rowFirst_ && y1 == rowLast_) return;
    Sum* columns = columns_.data();
    const std::int64_t n = Size();
    const bool empty = rowLast_ < rowFirst_;
    if (!empty && y0 >= rowFirst_ && y0 <= rowLast_ + step_ && y1 >= rowLast_ &&
        (y0 - rowFirst_) % step_ == 0) {
      // Moving down: pair each leaving row with an entering one.
      std::int64_t out = rowFirst_, in = rowLast_ + step_;
      for (; out < y0 && in <= y1; out += step_, in += step_) rows.Move(columns, n, out, in);
      for (; out < y0; out += step_) rows.Subtract(columns, n, out);
      for (; in <= y1; in += step_) rows.Add(columns, n, in);
    } else {
      Clear();
      for (std::int64_t y = y0; y <= y1; y += step_) rows.Add(columns, n, y);
    }
    rowFirst_ = y0;
    rowLast_ = y1;
    BuildPrefix();
  }

  // Prefix sums: Prefix()[i] is the sum of the first i column sums.
  const Sum* Prefix() const { return prefix_.data(); }

  // Sum over the covered rows and lattice columns x0 ... x1; 0 when x1 < x0.
  Sum WindowSum(std::int64_t x0, std::int64_t x1) const {
    if (x1 < x0) return 0;
    return prefix_[static_cast<std::size_t>(IndexOf(x1) + 1)] -
           prefix_[static_cast<std::size_t>(IndexOf(x0))];
  }

 private:
  void Clear() {
    std::fill(columns_.begin(), columns_.end(), 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  void BuildPrefix() {
    const std::size_t n = columns_.size();
    const Sum* columns = columns_.data();
    Sum* prefix = prefix_.data();
    Sum running = 0;
    std::size_t i = 0;
    if constexpr (sizeof(Sum) == 4) {
      // Four sums per step: the running sum chains once per four columns
      // instead of once per column. The additions are the same, in 32-bit
      // wrap-around arithmetic, so the prefixes are identical.
      using Lanes = std::uint32_t __attribute__((vector_size(16)));
      const Lanes zero = {0, 0, 0, 0};
      Lanes carry = zero;
      for (; i + 4 <= n; i += 4) {
        Lanes x;
        std::memcpy(&x, columns + i, sizeof x);
        x += __builtin_shufflevector(zero, x, 0, 4, 5, 6);  // add the lane before
        x += __builtin_shufflevector(zero, x, 0, 1, 4, 5);  // add the pair before
        x += carry;
        std::memcpy(prefix + i + 1, &x, sizeof x);
        carry = __builtin_shufflevector(x, x, 3, 3, 3, 3);
      }
      running = carry[0];
    }
    for (; i < n; ++i) {
      running += columns[i];
      prefix[i + 1] = running;
    }
  }

  std::int64_t first_ = 0;
  std::int64_t step_ = 1;
  std::int64_t rowFirst_ = 0;
  std::int64_t rowLast_ = -1;
  std::vector<Sum> columns_;
  std::vector<Sum> prefix_;
};

}  // namespace sensor::glazet
