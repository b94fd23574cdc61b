#include "glazet/station/defect_map_bitmap.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>

#include "common/bitmap_format.h"
#include "common/parallel_rows.h"
#include "glazet/kernels/glazet_kernels.h"

namespace sensor::glazet {
namespace {

// Writes all bytes, resuming after partial writes and interruptions.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Writes all bytes at `offset`, resuming after partial writes and interruptions.
bool WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, bytes, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

std::uint64_t PixelDataSize(const ImageBinding& image) {
  return std::uint64_t{image.Stride} * static_cast<std::uint64_t>(image.Height);
}

// Paints the rows that lie at buffer rows first .. last - 1 (counted in memory
// order, which is bottom-up for a bottom-up picture).
void PaintBufferRows(const ImageBinding& image, const std::uint8_t* map, std::int32_t first, std::int32_t last) {
  const auto width = static_cast<std::size_t>(image.Width);
  const auto paint = ActiveGlazetKernels().PaintRow;
  for (std::int32_t r = first; r < last; ++r) {
    const std::int32_t y = image.TopRowFirst() ? r : image.Height - 1 - r;
    paint(image.RowAt(y), map + static_cast<std::size_t>(y) * width, width, image.BytesPerPixel);
  }
}

// Copies the buffer rows first .. last - 1 into `block` and paints them there
// as PaintBufferRows paints them in place.
void PaintBufferRowsInto(const ImageBinding& image, const std::uint8_t* map, std::int32_t first, std::int32_t last,
                         std::uint8_t* block) {
  const auto width = static_cast<std::size_t>(image.Width);
  const auto stride = static_cast<std::size_t>(image.Stride);
  const auto paint = ActiveGlazetKernels().PaintRow;
  // Row by row, so that each row is painted while its copy is in the first-level cache.
  for (std::int32_t r = first; r < last; ++r) {
    const std::int32_t y = image.TopRowFirst() ? r : image.Height - 1 - r;
    std::uint8_t* row = block + static_cast<std::size_t>(r - first) * stride;
    std::memcpy(row, image.Pixels + static_cast<std::size_t>(r) * stride, stride);
    paint(row, map + static_cast<std::size_t>(y) * width, width, image.BytesPerPixel);
  }
}

// Writes the buffer rows first .. last - 1 (in memory order) to `fd`.
bool WriteBufferRows(const ImageBinding& image, int fd, std::int32_t first, std::int32_t last) {
  const auto stride = static_cast<std::size_t>(image.Stride);
  return WriteAll(fd, image.Pixels + static_cast<std::size_t>(first) * stride,
                  static_cast<std::size_t>(last - first) * stride);
}

// Rows per block of the painted file: about 256 KiB, at least one row, so
// that each block is still in the processor's cache when it is written.
std::int32_t RowsPerBlock(const ImageBinding& image) {
  const std::int64_t rows = (std::int64_t{256} << 10) / std::max<std::int64_t>(image.Stride, 1);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(rows, 1, std::max(image.Height, 1)));
}

// Opens `path` for rewriting and writes the headers; -1 when that fails.
int BeginFile(const ImageBinding& image, const std::string& path) {
  // The file is rewritten in place and then cut to its new length: the same
  // result as truncating it first, without giving up and re-reserving the
  // blocks of a file that every run rewrites at the same size.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  const std::array<std::uint8_t, 54> headers = DefectMapFileHeaders(image);
  if (!WriteAll(fd, headers.data(), headers.size())) {
    close(fd);
    return -1;
  }
  return fd;
}

bool FinishFile(int fd, const ImageBinding& image) {
  const bool cut = ftruncate(fd, static_cast<off_t>(54 + PixelDataSize(image))) == 0;
  return close(fd) == 0 && cut;
}

// Writes the buffer rows block by block, calling before(first, last) on each
// block first; every block gets its call even when the file fails.
template <class Before>
bool WriteBlocks(const ImageBinding& image, int fd, const Before& before) {
  bool written = fd >= 0;
  const std::int32_t block = RowsPerBlock(image);
  for (std::int32_t r = 0; r < image.Height; r += block) {
    const std::int32_t last = std::min(image.Height, r + block);
    before(r, last);
    if (written) {
      written = WriteBufferRows(image, fd, r, last);
    }
  }
  return written;
}

// Paints on the calling thread while a second thread writes each block as
// soon as it is painted, so that the kernel's copy of the file runs beside the
// painting; the same bytes in the same order as WriteBlocks. The writer waits
// for the painter only, never the other way round: when its thread cannot be
// started it runs after the painting, which has then painted every block.
// False, with nothing done, when the threads' bookkeeping cannot be had.
bool PaintWhileWriting(const ImageBinding& image, const std::uint8_t* map, int fd, bool& written) {
  const std::int32_t block = RowsPerBlock(image);
  std::atomic<std::int32_t> painted{0};
  written = true;
  const auto part = [&](int which) {
    for (std::int32_t r = 0; r < image.Height; r += block) {
      const std::int32_t last = std::min(image.Height, r + block);
      if (which == 0) {
        PaintBufferRows(image, map, r, last);
        painted.store(last, std::memory_order_release);
        painted.notify_one();
        continue;
      }
      for (std::int32_t seen = painted.load(std::memory_order_acquire); seen < last;
           seen = painted.load(std::memory_order_acquire)) {
        painted.wait(seen, std::memory_order_acquire);
      }
      if (written) {
        written = WriteBufferRows(image, fd, r, last);
      }
    }
  };
  try {
    RunParts(2, part);  // neither part throws
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

bool PaintAndWriteDefectMap(const ImageBinding& image, const std::uint8_t* map, const std::string& path) {
  if (image.Origin == nullptr || map == nullptr) return false;
  const int fd = BeginFile(image, path);
  bool written = false;
  // Painting and writing side by side pay when there is a second thread and
  // enough rows for it; one thread paints and writes block after block.
  const bool sideBySide = fd >= 0 && PartsFor(image.Height, image.Width) > 1;
  if (!sideBySide || !PaintWhileWriting(image, map, fd, written)) {
    written = WriteBlocks(image, fd,
                          [&](std::int32_t first, std::int32_t last) { PaintBufferRows(image, map, first, last); });
  }
  if (fd < 0) return false;
  return FinishFile(fd, image) && written;
}

bool WriteDefectMapKeepingPicture(const ImageBinding& image, const std::uint8_t* map, const std::string& path) {
  if (image.Origin == nullptr || map == nullptr) return false;
  const int fd = BeginFile(image, path);
  if (fd < 0) return false;
  const std::int32_t block = RowsPerBlock(image);
  const auto stride = static_cast<std::size_t>(image.Stride);
  const int parts = PartsFor(image.Height, image.Width);
  std::atomic<bool> written{true};
  // One write at a time: the other part paints its next block meanwhile or
  // sleeps, where two writers would spin on the file's lock in the kernel.
  std::mutex writing;
  // Part p takes blocks p, p + parts, ...: the blocks are as long as
  // WriteBlocks's, and each lands where the sequential writing puts it.
  const auto part = [&](int p) {
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(block) * stride]);
    if (!bytes) {
      written.store(false, std::memory_order_relaxed);
      return;
    }
    for (std::int64_t r = std::int64_t{block} * p; r < image.Height && written.load(std::memory_order_relaxed);
         r += std::int64_t{block} * parts) {
      const auto first = static_cast<std::int32_t>(r);
      const std::int32_t last = std::min(image.Height, first + block);
      PaintBufferRowsInto(image, map, first, last, bytes.get());
      const std::lock_guard<std::mutex> one(writing);
      if (!WriteAllAt(fd, bytes.get(), static_cast<std::size_t>(last - first) * stride,
                      54 + static_cast<std::uint64_t>(first) * stride)) {
        written.store(false, std::memory_order_relaxed);
      }
    }
  };
  bool started = true;
  try {
    for (const std::exception_ptr& failure : RunParts(parts, part)) {
      if (failure != nullptr) written.store(false);  // a lock that could not be taken
    }
  } catch (const std::bad_alloc&) {
    started = false;
  }
  for (int p = 0; !started && p < parts; ++p) part(p);
  return FinishFile(fd, image) && written.load();
}

std::array<std::uint8_t, 54> DefectMapFileHeaders(const ImageBinding& image) {
  bitmap::InfoFields fields;
  fields.Width = image.Width;
  fields.Height = image.TopRowFirst() ? -image.Height : image.Height;
  fields.BitCount = image.BitCount;
  // Compression, image size, resolutions and colour counts stay 0.
  return bitmap::FileHeaders(fields, PixelDataSize(image));
}

}  // namespace sensor::glazet
