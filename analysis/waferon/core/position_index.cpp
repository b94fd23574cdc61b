#include "waferon/core/position_index.h"

#include <algorithm>
#include <utility>

namespace sensor::waferon {

std::size_t PositionIndex::Probe(std::uint64_t key) const {
  const std::size_t mask = keys_.size() - 1;
  std::size_t i = Home(key);
  while (keys_[i] != kEmpty && keys_[i] != key) i = (i + 1) & mask;
  return i;
}

const std::uint32_t* PositionIndex::Find(std::int32_t x, std::int32_t y) const {
  const std::uint64_t key = Key(x, y);
  if (key == kEmpty) return hasEmptyKey_ ? &emptyKeyValue_ : nullptr;
  if (keys_.empty()) return nullptr;
  const std::size_t i = Probe(key);
  return keys_[i] == key ? &values_[i] : nullptr;
}

void PositionIndex::Rehash(std::size_t capacity) {
  std::vector<std::uint64_t> keys(capacity, kEmpty);
  std::vector<std::uint32_t> values(capacity, 0);
  std::swap(keys, keys_);
  std::swap(values, values_);
  int bits = 0;
  while ((std::size_t{1} << bits) < capacity) ++bits;
  shift_ = 64 - bits;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == kEmpty) continue;
    const std::size_t slot = Probe(keys[i]);
    keys_[slot] = keys[i];
    values_[slot] = values[i];
  }
}

void PositionIndex::Reserve(std::size_t positions) {
  // Kept at most half full, as Insert keeps it.
  std::size_t capacity = keys_.empty() ? 64 : keys_.size();
  while (capacity < 2 * positions) capacity *= 2;
  if (capacity > keys_.size()) Rehash(capacity);
}

bool PositionIndex::Insert(std::int32_t x, std::int32_t y, std::uint32_t value) {
  const std::uint64_t key = Key(x, y);
  if (key == kEmpty) {
    if (hasEmptyKey_) return false;
    hasEmptyKey_ = true;
    emptyKeyValue_ = value;
    ++size_;
    return true;
  }
  if (!keys_.empty()) {
    if (keys_[Probe(key)] == key) return false;
  }
  if (2 * (size_ + 1) > keys_.size()) Grow();
  const std::size_t i = Probe(key);
  keys_[i] = key;
  values_[i] = value;
  ++size_;
  return true;
}

void PositionIndex::Erase(std::int32_t x, std::int32_t y) {
  const std::uint64_t key = Key(x, y);
  if (key == kEmpty) {
    if (hasEmptyKey_) --size_;
    hasEmptyKey_ = false;
    return;
  }
  if (keys_.empty()) return;
  const std::size_t mask = keys_.size() - 1;
  std::size_t hole = Probe(key);
  if (keys_[hole] != key) return;
  --size_;
  // Backward-shift deletion: pull later members of the probe run into the
  // hole when their home slot does not lie cyclically in (hole, j].
  for (std::size_t j = (hole + 1) & mask; keys_[j] != kEmpty; j = (j + 1) & mask) {
    const std::size_t home = Home(keys_[j]);
    const bool homeBetween =
        hole < j ? (home > hole && home <= j) : (home > hole || home <= j);
    if (homeBetween) continue;
    keys_[hole] = keys_[j];
    values_[hole] = values_[j];
    hole = j;
  }
  keys_[hole] = kEmpty;
}

void PositionIndex::CopyFrom(const PositionIndex& other) {
  if (&other == this) return;
  if (keys_.capacity() < other.keys_.size() || values_.capacity() < other.values_.size()) {
    PositionIndex copy(other);
    *this = std::move(copy);
    return;
  }
  keys_.assign(other.keys_.begin(), other.keys_.end());  // within the capacity: nothing thrown
  values_.assign(other.values_.begin(), other.values_.end());
  size_ = other.size_;
  shift_ = other.shift_;
  hasEmptyKey_ = other.hasEmptyKey_;
  emptyKeyValue_ = other.emptyKeyValue_;
}

void PositionIndex::Clear() {
  std::fill(keys_.begin(), keys_.end(), kEmpty);
  size_ = 0;
  hasEmptyKey_ = false;
}

void PositionIndex::Release() {
  std::vector<std::uint64_t>().swap(keys_);
  std::vector<std::uint32_t>().swap(values_);
  size_ = 0;
  shift_ = 64;
  hasEmptyKey_ = false;
}

}  // namespace sensor::waferon
