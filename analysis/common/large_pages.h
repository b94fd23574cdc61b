// Large working blocks on large pages. A block the analysis fills from its
// first byte to its last (a defect map, a grid of bits over the picture) costs
// one page fault per small page on its first write, and on the virtual
// machines that test stations run on each fault is dear; on large pages the
// same block takes a few faults.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace sensor {

// Blocks from this size on are large-page blocks.
inline constexpr std::size_t kLargePageBlocksFrom = std::size_t{4} << 20;

// Asks the kernel to back the whole small pages inside a block of at least
// kLargePageBlocksFrom bytes with large pages before the block is first
// touched. Advice only: nothing changes when the kernel declines.
inline void AskForLargePages(void* block, std::size_t size) {
#ifdef MADV_HUGEPAGE
  const long page = sysconf(_SC_PAGESIZE);
  if (block == nullptr || size < kLargePageBlocksFrom || page <= 0) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(block);
  const auto mask = static_cast<std::uintptr_t>(page) - 1;
  const std::uintptr_t first = (begin + mask) & ~mask;
  const std::uintptr_t last = (begin + size) & ~mask;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
}

// The standard allocator, except that a large block starts on a large-page
// boundary (a large page can back only an aligned 2 MiB) and asks for large
// pages.
template <class T>
struct LargePageAllocator : std::allocator<T> {
  using value_type = T;
  static constexpr std::align_val_t kAlignment{std::size_t{2} << 20};

  LargePageAllocator() = default;
  template <class U>
  LargePageAllocator(const LargePageAllocator<U>&) noexcept {}  // converting, like std::allocator's

  // Null when the block cannot be had (through the non-throwing operator
  // new, which the sanitizers' allocator also answers with null).
  static T* TryAllocate(std::size_t n) noexcept {
    if (n > SIZE_MAX / sizeof(T)) return nullptr;
    if (n * sizeof(T) < kLargePageBlocksFrom) {
      // The array forms, as a new[] of the elements would take: a host that
      // replaces only the single-object operators keeps its pairs matched.
      return static_cast<T*>(::operator new[](n * sizeof(T), std::nothrow));
    }
    void* block = ::operator new(n * sizeof(T), kAlignment, std::nothrow);
    AskForLargePages(block, n * sizeof(T));
    return static_cast<T*>(block);
  }
  T* allocate(std::size_t n) {
    T* block = TryAllocate(n);
    if (block == nullptr) throw std::bad_alloc();
    return block;
  }
  void deallocate(T* block, std::size_t n) noexcept {
    if (n * sizeof(T) < kLargePageBlocksFrom) {
      ::operator delete[](block);
    } else {
      ::operator delete(block, kAlignment);
    }
  }
};

template <class T, class U>
bool operator==(const LargePageAllocator<T>&, const LargePageAllocator<U>&) noexcept {
  return true;
}

// A block of `size` bytes straight from the kernel, all zero: its pages cost
// nothing until they are written, and pages that are only read share the
// kernel's zero page, so a block that stays mostly zero is never cleared page
// by page. Large blocks ask for large pages. Null when it cannot be had; free
// it with UnmapZeroedBlock and the same size.
inline void* MapZeroedBlock(std::size_t size) noexcept {
  if (size == 0) return nullptr;
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  AskForLargePages(block, size);
  return block;
}

inline void UnmapZeroedBlock(void* block, std::size_t size) noexcept {
  if (block != nullptr) munmap(block, size);
}

}  // namespace sensor
