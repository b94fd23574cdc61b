// The pixel buffer of a loaded picture: either memory of its own, zero-filled
// and on large pages when it is large, or a private mapping of the pixel data
// of the picture file, which the kernel serves straight from the page cache
// without a copy. The run may write into either; a mapping's written pages
// become the process's own and the file never changes.
//
// A mapped file that is cut short underneath (another process truncating it)
// would make every access to a lost page raise SIGBUS. The buffer guards
// against that: the lost pages read as zeros from then on and Intact() turns
// false, so the run can fail instead of crashing. The guard is one SIGBUS
// handler for the process, installed with the first mapping; a SIGBUS outside
// every mapped picture keeps the action it had before.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>

namespace sensor::frontend {

class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(PixelBuffer&& other) noexcept { Take(other); }
  PixelBuffer& operator=(PixelBuffer&& other) noexcept;
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;
  ~PixelBuffer() { Release(); }

  // `size` zero bytes of the buffer's own; throws std::bad_alloc when they
  // cannot be had.
  static PixelBuffer Zeroed(std::uint64_t size);

  // `size` bytes of the buffer's own filled by `fill(part, offset, count)`,
  // which writes bytes offset .. offset + count - 1 of `part` (the buffer's
  // data plus offset) and returns whether it could. A large buffer is cut into
  // parts of whole large pages, one per analysis thread (SENSOR_THREADS, the
  // processors the run may use), each entered and filled on its own thread:
  // the kernel's zeroing of the fresh pages and the fill then use every
  // processor the run may. Nothing when any part fails; throws std::bad_alloc
  // when the memory cannot be had. Every byte ends as a fill on one thread
  // would leave it. A large buffer's byte `alignedAt` begins a large page (a
  // file's pixel data, read with the file's headers before it).
  template <class Fill>
  static std::optional<PixelBuffer> Filled(std::uint64_t size, const Fill& fill, std::uint64_t alignedAt = 0) {
    return FilledWith(size, alignedAt, [](const void* f, unsigned char* part, std::size_t offset, std::size_t count) {
      return (*static_cast<const Fill*>(f))(part, offset, count);
    }, &fill);
  }

  // The `size` bytes at `offset` of the open regular file `fd`, mapped
  // privately, their pages entered before the call returns when `enter`
  // (else see EnterPages); nothing when the file cannot be mapped (a file
  // system without mappings, a range past the file's end, no address space),
  // so that the caller reads it instead.
  static std::optional<PixelBuffer> MapFile(int fd, std::uint64_t offset, std::uint64_t size, bool enter = true);

  // Enters the pages of a mapping's bytes offset .. offset + size - 1 in one
  // call, before they are read, instead of one fault per small page; false
  // when the file was cut short beneath them. True for memory of its own.
  bool EnterPages(std::size_t offset, std::size_t size);

  // The buffer cut to its bytes offset .. offset + size - 1 (a file's pixel
  // data, mapped or read with the file's headers), which it keeps in place.
  PixelBuffer Narrowed(std::size_t offset, std::size_t size) &&;

  unsigned char* data() { return data_; }
  const unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  unsigned char* begin() { return data_; }
  unsigned char* end() { return data_ + size_; }
  const unsigned char* begin() const { return data_; }
  const unsigned char* end() const { return data_ + size_; }

  bool Mapped() const { return guardSlot_ >= 0; }

  // Whether the bytes are still what the file held when it was mapped: false
  // once the file was cut short beneath the mapping, or written or resized
  // since (its modification time or size changed). Always true for memory of
  // the buffer's own.
  bool Intact() const;

 private:
  using FillCall = bool (*)(const void* fill, unsigned char* part, std::size_t offset, std::size_t count);
  static PixelBuffer Reserved(std::uint64_t size, std::uint64_t alignedAt = 0);
  static std::optional<PixelBuffer> FilledWith(std::uint64_t size, std::uint64_t alignedAt, FillCall call,
                                               const void* fill);
  void Take(PixelBuffer& other) noexcept;
  void Release() noexcept;

  void* region_ = nullptr;  // what to unmap
  std::size_t regionSize_ = 0;
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  // A mapping: its slot in the SIGBUS guard, and the file (kept open) with
  // its size and modification time when it was mapped.
  int guardSlot_ = -1;
  int fd_ = -1;
  off_t fileSize_ = 0;
  timespec fileModified_{};
};

}  // namespace sensor::frontend
