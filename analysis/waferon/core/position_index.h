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

  std::vector<std::uint64_t> keys_;
  std::vector<std::uint32_t> values_;
  std::size_t size_ = 0;   // positions stored, (-1, -1) included
  int shift_ = 64;         // 64 - log2(capacity)
  // (-1, -1) collides with the empty marker, so it lives beside the table.
  bool hasEmptyKey_ = false;
  std::uint32_t emptyKeyValue_ = 0;
};

}  // namespace sensor::waferon
