#include "frontend/pictures/pixel_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "common/frontend_interface.h"
#include "common/precondition.h"
#include "frontend/pictures/bus_error_guard.h"

#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace sensor::frontend {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// Buffers from this size on start on a large page and are asked to use them.
constexpr std::size_t kLargeBuffer = 4 * kLargePage;

std::size_t PageSize() {
  static const std::size_t size = [] {
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::size_t>(page) : std::size_t{4096};
  }();
  return size;
}

// Advice for the pages that hold bytes begin .. begin + size - 1 (the
// kernel takes page-aligned ranges only).
int Advise(unsigned char* begin, std::size_t size, int advice) {
  const auto address = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t start = address & ~(std::uintptr_t{PageSize()} - 1);
  return madvise(reinterpret_cast<void*>(start), size + (address - start), advice);
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// In an address-sanitized build, the bytes of the region around the pixels
// (a mapping's leading header bytes and trailing page, the spare room of
// large-page alignment) are marked unaddressable, as a heap buffer's
// surroundings are, so that a read outside the pixels is reported.
void FenceOff(void* region, std::size_t regionSize, const unsigned char* data, std::size_t size) {
  auto* begin = static_cast<unsigned char*>(region);
  const std::size_t page = PageSize();
  const std::size_t end = (regionSize + page - 1) / page * page;
  ASAN_POISON_MEMORY_REGION(begin, static_cast<std::size_t>(data - begin));
  ASAN_POISON_MEMORY_REGION(data + size, end - static_cast<std::size_t>(data + size - begin));
}

// How many parts work on a buffer of `bytes` is spread over: one below
// kLargeBuffer, else one per analysis thread but no more than one per
// kLargeBuffer bytes.
int LargePageParts(std::size_t bytes) {
  if (bytes < kLargeBuffer) return 1;
  return std::max(1, std::min<int>(AnalysisThreads(), static_cast<int>(bytes / kLargeBuffer)));
}

// Bytes first .. last - 1 of part `part` of `parts`: whole large pages, the
// last part ending with the buffer.
std::pair<std::size_t, std::size_t> LargePagePart(std::size_t bytes, int part, int parts) {
  const std::size_t pages = (bytes + kLargePage - 1) / kLargePage;
  const auto count = static_cast<std::size_t>(parts);
  return {std::min(bytes, pages * static_cast<std::size_t>(part) / count * kLargePage),
          std::min(bytes, pages * static_cast<std::size_t>(part + 1) / count * kLargePage)};
}

}  // namespace

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    Take(other);
  }
  return *this;
}

void PixelBuffer::Take(PixelBuffer& other) noexcept {
  region_ = std::exchange(other.region_, nullptr);
  regionSize_ = std::exchange(other.regionSize_, 0);
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  guardSlot_ = std::exchange(other.guardSlot_, -1);
  fd_ = std::exchange(other.fd_, -1);
  fileSize_ = other.fileSize_;
  fileModified_ = other.fileModified_;
}

void PixelBuffer::Release() noexcept {
  UnguardMappedRange(guardSlot_);
  if (region_ != nullptr) {
    ASAN_UNPOISON_MEMORY_REGION(region_, (regionSize_ + PageSize() - 1) / PageSize() * PageSize());
    munmap(region_, regionSize_);
  }
  if (fd_ >= 0) close(fd_);
  region_ = nullptr;
  regionSize_ = 0;
  data_ = nullptr;
  size_ = 0;
  guardSlot_ = -1;
  fd_ = -1;
}

PixelBuffer PixelBuffer::Zeroed(std::uint64_t size) {
  PixelBuffer buffer = Reserved(size);
  // Advice only, like the large pages: entering the pages in one call here
  // costs a few hundred faults instead of one per small page on first write.
  if (buffer.size_ >= kLargeBuffer) Advise(buffer.data_, buffer.size_, MADV_POPULATE_WRITE);
  return buffer;
}

std::optional<PixelBuffer> PixelBuffer::FilledWith(std::uint64_t size, std::uint64_t alignedAt, FillCall call,
                                                   const void* fill) {
  PixelBuffer buffer = Reserved(size, alignedAt);
  unsigned char* data = buffer.data_;
  const std::size_t bytes = buffer.size_;
  const int parts = LargePageParts(bytes);
  std::vector<char> filled(static_cast<std::size_t>(parts), 0);
  const std::vector<std::exception_ptr> failures = RunParts(parts, [&](int part) {
    const auto [begin, end] = LargePagePart(bytes, part, parts);
    if (end > begin && bytes >= kLargeBuffer) Advise(data + begin, end - begin, MADV_POPULATE_WRITE);
    filled[static_cast<std::size_t>(part)] = end == begin || call(fill, data + begin, begin, end - begin);
  });
  for (std::size_t i = 0; i < filled.size(); ++i) {
    if (failures[i] != nullptr || filled[i] == 0) return std::nullopt;
  }
  return buffer;
}

PixelBuffer PixelBuffer::Reserved(std::uint64_t size, std::uint64_t alignedAt) {
  PixelBuffer buffer;
  if (size == 0) return buffer;
  // Large pages need 2 MiB alignment: a large buffer takes a spare large
  // page of address space to find an aligned start in.
  const bool large = size >= kLargeBuffer;
  const std::uint64_t reserve = size + (large ? kLargePage : 0);
  if (size > SIZE_MAX - kLargePage || reserve > SIZE_MAX) throw std::bad_alloc();
  void* region = mmap(nullptr, static_cast<std::size_t>(reserve), PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) throw std::bad_alloc();
  buffer.region_ = region;
  buffer.regionSize_ = static_cast<std::size_t>(reserve);
  auto* start = static_cast<unsigned char*>(region);
  if (large) {
    // Byte alignedAt on the first large-page boundary at or after it.
    const std::uintptr_t lead = static_cast<std::uintptr_t>(alignedAt % kLargePage);
    const auto address = reinterpret_cast<std::uintptr_t>(start) + lead;
    start += ((address + kLargePage - 1) & ~(std::uintptr_t{kLargePage} - 1)) - address;
    // Advice only: a kernel that declines leaves small pages.
    Advise(start, static_cast<std::size_t>(size), MADV_HUGEPAGE);
  }
  buffer.data_ = start;
  buffer.size_ = static_cast<std::size_t>(size);
  FenceOff(region, buffer.regionSize_, buffer.data_, buffer.size_);
  return buffer;
}

std::optional<PixelBuffer> PixelBuffer::MapFile(int fd, std::uint64_t offset, std::uint64_t size, bool enter) {
  struct stat info {};
  if (size == 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const auto fileSize = static_cast<std::uint64_t>(info.st_size);
  if (offset > fileSize || size > fileSize - offset) return std::nullopt;
  const std::uint64_t start = offset & ~std::uint64_t{PageSize() - 1};
  const std::uint64_t length = offset - start + size;
  if (length > SIZE_MAX) return std::nullopt;

  PixelBuffer buffer;
  buffer.fd_ = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (buffer.fd_ < 0) return std::nullopt;
  buffer.fileSize_ = info.st_size;
  buffer.fileModified_ = info.st_mtim;
  // Writable and private: the run may write (Glazet paints), the file stays
  // as it is. Not MAP_POPULATE, which would copy every page of a writable
  // private mapping; MADV_POPULATE_READ enters the page cache's pages as
  // they are.
  void* region = mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE, MAP_PRIVATE,
                      buffer.fd_, static_cast<off_t>(start));
  if (region == MAP_FAILED) return std::nullopt;
  buffer.region_ = region;
  buffer.regionSize_ = static_cast<std::size_t>(length);
  buffer.guardSlot_ = GuardMappedRange(region, buffer.regionSize_);
  if (buffer.guardSlot_ < 0) return std::nullopt;
  // Fails with EFAULT when the file was cut short since the size was taken:
  // then the caller reads it, and finds it short. Kernels without the advice
  // (EINVAL) enter the pages on first access instead.
  if (enter && madvise(region, buffer.regionSize_, MADV_POPULATE_READ) != 0 && errno != EINVAL) return std::nullopt;
  buffer.data_ = static_cast<unsigned char*>(region) + (offset - start);
  buffer.size_ = static_cast<std::size_t>(size);
  FenceOff(region, buffer.regionSize_, buffer.data_, buffer.size_);
  return buffer;
}

bool PixelBuffer::EnterPages(std::size_t offset, std::size_t size) {
  SENSOR_PRECONDITION(offset <= size_ && size <= size_ - offset);
  if (!Mapped() || size == 0) return true;
  return Advise(data_ + offset, size, MADV_POPULATE_READ) == 0 || errno == EINVAL;
}

PixelBuffer PixelBuffer::Narrowed(std::size_t offset, std::size_t size) && {
  SENSOR_PRECONDITION(offset <= size_ && size <= size_ - offset);
  if (size == 0) return PixelBuffer();
  PixelBuffer narrowed(std::move(*this));
  ASAN_UNPOISON_MEMORY_REGION(narrowed.data_ + offset, size);
  narrowed.data_ += offset;
  narrowed.size_ = size;
  FenceOff(narrowed.region_, narrowed.regionSize_, narrowed.data_, narrowed.size_);
  return narrowed;
}

bool PixelBuffer::Intact() const {
  if (!Mapped()) return true;
  if (MappedRangeLost(guardSlot_)) return false;
  struct stat info {};
  return fstat(fd_, &info) == 0 && info.st_size == fileSize_ && SameTime(info.st_mtim, fileModified_);
}

}  // namespace sensor::frontend
