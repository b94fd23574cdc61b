// A map from pixel positions to small integers, with O(1) lookups.
//
// The candidate list, the visited list and the result tables ask "is there
// anything at column x, row y?" for every pixel they touch; walking a list for
// that would make cluster growth quadratic. This is an open-addressing hash
// table with linear probing, kept at most half full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/parallel_rows.h"

namespace sensor::waferon {

class PositionIndex {
 public:
  // The value stored at (x, y), or nullptr when the position is absent.
  const std::uint32_t* Find(std::int32_t x, std::int32_t y) const;
  bool Contains(std::int32_t x, std::int32_t y) const { return Find(x, y) != nullptr; }

  // Stores `value` at (x, y) unless the position is present already; returns
  // whether it was stored. May throw std::bad_alloc while growing; the index is
  // then unchanged.
  bool Insert(std::int32_t x, std::int32_t y, std::uint32_t value);

  void Erase(std::int32_t x, std::int32_t y);

  // Inserts positionOf(k) -> base + k for k = 0 .. count - 1 in that order,
  // as Insert would one by one, in `parts` parts on the analysis threads:
  // each part takes the keys whose home slot lies in its share of the table
  // and leaves those whose probe would run past its share for the calling
  // thread after. May throw std::bad_alloc: before anything changes when the
  // room cannot be made, else (a part's leftovers) with some keys stored,
  // after which the index is to be cleared.
  template <class PositionOf>
  void InsertInParts(std::size_t count, std::uint32_t base, const PositionOf& positionOf, int parts);

  // Makes room for `positions` in all without growing again. May throw
  // std::bad_alloc; the index is then unchanged.
  void Reserve(std::size_t positions);

  // Becomes a copy of `other`, in the memory it holds when that is enough.
  // May throw std::bad_alloc; the index is then unchanged.
  void CopyFrom(const PositionIndex& other);

  // Forgets every position; Clear keeps the memory, Release returns it.
  void Clear();
  void Release();

  std::size_t Size() const { return size_; }

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};  // the key of (-1, -1)

  static std::uint64_t Key(std::int32_t x, std::int32_t y) {
    return std::uint64_t{static_cast<std::uint32_t>(x)} << 32 | static_cast<std::uint32_t>(y);
  }
  std::size_t Home(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
  }
  // Slot holding `key`, or the empty slot where it would go.
  std::size_t Probe(std::uint64_t key) const;
  void Grow() { Rehash(keys_.empty() ? 64 : keys_.size() * 2); }
  void Rehash(std::size_t capacity);

  // InsertInParts for one part: slots [lo, hi); the keys left over go to `left`.
  template <class PositionOf>
  std::size_t InsertShare(std::size_t count, std::uint32_t base, const PositionOf& positionOf, std::size_t lo,
                          std::size_t hi, std::vector<std::size_t>& left);

  std::vector<std::uint64_t> keys_;
  std::vector<std::uint32_t> values_;
  std::size_t size_ = 0;   // positions stored, (-1, -1) included
  int shift_ = 64;         // 64 - log2(capacity)
  // (-1, -1) collides with the empty marker, so it lives beside the table.
  bool hasEmptyKey_ = false;
  std::uint32_t emptyKeyValue_ = 0;
};

template <class PositionOf>
std::size_t PositionIndex::InsertShare(std::size_t count, std::uint32_t base, const PositionOf& positionOf,
                                       std::size_t lo, std::size_t hi, std::vector<std::size_t>& left) {
  std::size_t stored = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const auto [x, y] = positionOf(k);
    const std::uint64_t key = Key(x, y);
    const std::size_t home = Home(key);
    if (home < lo || home >= hi) continue;
    if (key == kEmpty) {
      left.push_back(k);
      continue;
    }
    std::size_t i = home;
    while (i < hi && keys_[i] != kEmpty && keys_[i] != key) ++i;
    if (i == hi) {
      left.push_back(k);  // its probe goes on in another share
    } else if (keys_[i] == kEmpty) {
      keys_[i] = key;
      values_[i] = base + static_cast<std::uint32_t>(k);
      ++stored;
    }
  }
  return stored;
}

template <class PositionOf>
void PositionIndex::InsertInParts(std::size_t count, std::uint32_t base, const PositionOf& positionOf, int parts) {
  Reserve(size_ + count);
  std::vector<std::vector<std::size_t>> left(static_cast<std::size_t>(parts));
  std::vector<std::size_t> stored(static_cast<std::size_t>(parts), 0);
  const std::size_t capacity = keys_.size();
  RethrowFirst(RunParts(parts, [&](int part) {
    const auto p = static_cast<std::size_t>(part);
    stored[p] = InsertShare(count, base, positionOf, capacity * p / static_cast<std::size_t>(parts),
                            capacity * (p + 1) / static_cast<std::size_t>(parts), left[p]);
  }));
  for (const std::size_t s : stored) size_ += s;
  // A key left over by its share stays left over at its later records too
  // (the slots it ran past only fill), so each part's leftovers, in order,
  // keep the first value of every position.
  for (const auto& keys : left) {
    for (const std::size_t k : keys) {
      const auto [x, y] = positionOf(k);
      Insert(x, y, base + static_cast<std::uint32_t>(k));
    }
  }
}

}  // namespace sensor::waferon
