// Exact window sums for the local searches: per column of the region, the sum
// of one value over a band of rows (every row, or every second row for the
// sites of one Bayer colour), with prefix sums along the row. Moving the band
// down a row adds the entering row and removes the leaving one, so the cost per
// pixel does not grow with the window.
//
// The shared BandSums works the same way through a per-pixel callback; the
// searches run this variant instead because it is their inner loop: a row
// enters and another leaves in one loop the caller writes for its pixel layout,
// sums may be kept in 32-bit lanes, and the prefix sums are built several
// columns at a time (BandSums reads back each prefix entry it has just stored,
// which stalls on every column).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sensor::waferon {

// The pixel rows of a region: the first byte of the region's left pixel in
// row 0, the byte distance from one picture row to the next, the columns.
struct RowSource {
  const std::uint8_t* Origin;
  std::ptrdiff_t RowStep;
  std::int64_t Columns;

  const std::uint8_t* Row(std::int64_t y) const { return Origin + y * RowStep; }
};

// Row marker for "no row" in a band update.
inline constexpr std::int64_t kNoRow = -1;

// Adds the values of row `enter` to the column sums and subtracts those of row
// `leave` (either may be kNoRow), in one pass. value(row, i) is the value of
// column i of a row.
template <class Lane, class Value>
void ApplyRows(const RowSource& source, std::int64_t enter, std::int64_t leave, Lane* column,
               const Value& value) {
  const std::int64_t n = source.Columns;
  if (leave == kNoRow) {
    const std::uint8_t* in = source.Row(enter);
    for (std::int64_t i = 0; i < n; ++i) column[i] += value(in, i);
  } else if (enter == kNoRow) {
    const std::uint8_t* out = source.Row(leave);
    for (std::int64_t i = 0; i < n; ++i) column[i] -= value(out, i);
  } else {
    const std::uint8_t* in = source.Row(enter);
    const std::uint8_t* out = source.Row(leave);
    for (std::int64_t i = 0; i < n; ++i) column[i] += value(in, i) - value(out, i);
  }
}

// Lane: the unsigned type of the column and prefix sums. Sums wrap around
// modulo its range, and differences of prefix sums stay exact as long as every
// window's true sum fits in a Lane: 32 bits serve windows whose sums stay below
// 2^32, at twice the vector width of 64 bits.
template <class Lane = std::uint64_t>
class WindowBand {
 public:
  // `columns` columns, queried by index 0 .. columns - 1; step 1 or 2.
  void Reset(std::size_t columns, std::int64_t step) {
    step_ = step;
    columns_.assign(columns, 0);
    prefix_.assign(columns + static_cast<std::size_t>(step), 0);
    rowFirst_ = 0;
    rowLast_ = -1;
  }

  // Makes the band cover rows y0, y0 + step, ... up to y1 (y0 >= 0, y1 >= y0).
  // update(enter, leave, columns) adds row `enter`'s values to
  // columns[0 .. columns - 1] and subtracts row `leave`'s; either may be kNoRow
  // (see ApplyRows). Moving down pairs each leaving row with an entering one.
  template <class Update>
  void Cover(std::int64_t y0, std::int64_t y1, const Update& update) {
    y1 = y0 + (y1 - y0) / step_ * step_;
    if (y0 == rowFirst_ && y1 == rowLast_) return;
    const bool empty = rowLast_ < rowFirst_;
    const bool sameLattice = ((y0 - rowFirst_) % step_) == 0;
    if (!empty && sameLattice && y0 >= rowFirst_ && y0 <= rowLast_ && y1 >= rowLast_) {
      std::int64_t leave = rowFirst_, enter = rowLast_ + step_;
      for (; leave < y0 && enter <= y1; leave += step_, enter += step_) {
        update(enter, leave, columns_.data());
      }
      for (; leave < y0; leave += step_) update(kNoRow, leave, columns_.data());
      for (; enter <= y1; enter += step_) update(enter, kNoRow, columns_.data());
    } else {
      std::fill(columns_.begin(), columns_.end(), 0);
      for (std::int64_t y = y0; y <= y1; y += step_) update(y, kNoRow, columns_.data());
    }
    rowFirst_ = y0;
    rowLast_ = y1;
    BuildPrefix();
  }

  // Sum over the covered rows and the columns i0, i0 + step, ... up to i1.
  Lane Sum(std::size_t i0, std::size_t i1) const {
    return prefix_[i1 + static_cast<std::size_t>(step_)] - prefix_[i0];
  }

  // The prefix sums: Sum(i0, i1) is Prefix()[i1 + step] - Prefix()[i0].
  const Lane* Prefix() const { return prefix_.data(); }

 private:
  void BuildPrefix() {
    const std::size_t n = columns_.size();
    const Lane* c = columns_.data();
    Lane* p = prefix_.data();
    std::size_t i = 0;
    // Sums wrap modulo the lane's range, so adding in another order gives the
    // same prefix sums; four (or two) columns are added at a time.
#if defined(__SSE2__)
    if constexpr (sizeof(Lane) == 4) {
      if (step_ == 2) {
        __m128i carry = _mm_setzero_si128();  // running even, odd, even, odd sums
        for (; i + 4 <= n; i += 4) {
          __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
          x = _mm_add_epi32(x, _mm_slli_si128(x, 8));
          x = _mm_add_epi32(x, carry);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 2), x);
          carry = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 2, 3, 2));
        }
      } else {
        __m128i carry = _mm_setzero_si128();  // the running sum in every lane
        for (; i + 4 <= n; i += 4) {
          __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
          x = _mm_add_epi32(x, _mm_slli_si128(x, 4));
          x = _mm_add_epi32(x, _mm_slli_si128(x, 8));
          x = _mm_add_epi32(x, carry);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 1), x);
          carry = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 3, 3, 3));
        }
      }
    } else if (step_ == 1) {
      __m128i carry = _mm_setzero_si128();
      for (; i + 2 <= n; i += 2) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
        x = _mm_add_epi64(x, _mm_slli_si128(x, 8));
        x = _mm_add_epi64(x, carry);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 1), x);
        carry = _mm_unpackhi_epi64(x, x);
      }
    }
#endif
    const auto s = static_cast<std::size_t>(step_);
    for (; i < n; ++i) p[i + s] = static_cast<Lane>(p[i] + c[i]);
  }

  std::int64_t step_ = 1;
  std::int64_t rowFirst_ = 0;
  std::int64_t rowLast_ = -1;
  std::vector<Lane> columns_;
  std::vector<Lane> prefix_;  // prefix_[i + step] = columns i, i - step, ... summed
};

}  // namespace sensor::waferon
