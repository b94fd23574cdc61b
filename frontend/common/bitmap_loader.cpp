#include "frontend/common/bitmap_loader.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>

#include "common/frontend_interface.h"
#include "frontend/common/regular_file.h"

namespace sensor::frontend {
namespace {

using bitmap::kFileHeaderSize;
using bitmap::kInfoHeaderSize;

// Asks the kernel to back the whole 2 MiB pages inside a large buffer with
// large pages before it is first touched: a 48 MP picture then takes a few
// hundred page faults instead of tens of thousands. Only advice; nothing
// changes when the kernel declines.
void AskForLargePages(unsigned char* buffer, std::size_t size) {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
  const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kLargePage - 1);
  if (size < 4 * kLargePage || last <= first) return;
  madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// A zero-filled buffer of `size` bytes read in full from the file's current
// position; false on a short read or when the buffer cannot be had.
bool ReadPiece(std::FILE* file, std::uint64_t size, std::uint64_t bytesLeft,
               std::vector<unsigned char>& out) {
  if (size > bytesLeft) return false;
  try {
    AllocatePixelBuffer(out, size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return std::fread(out.data(), 1, out.size(), file) == out.size();
}

// Whether the library's binding of this bitmap stays inside the pixel buffer.
bool BindingFitsBuffer(LoadedBitmap& bitmap) {
  unsigned char anyPixel = 0;
  unsigned char* pixels = bitmap.Pixels.empty() ? &anyPixel : bitmap.Pixels.data();
  ImageBinding scratch;
  if (BindBitmap(bitmap.Header.data(), pixels, scratch) != SensorDefectDetectionClass::S_OK) {
    return true;  // the library refuses this header and reads no pixel
  }
  const std::uint64_t addressed = std::uint64_t{scratch.Stride} * std::uint64_t(scratch.Height);
  return addressed <= bitmap.Pixels.size();
}

}  // namespace

void AllocatePixelBuffer(std::vector<unsigned char>& out, std::uint64_t size) {
  if (size > out.max_size()) throw std::length_error("pixel buffer");
  out.reserve(static_cast<std::size_t>(size));
  AskForLargePages(out.data(), out.capacity());
  out.assign(static_cast<std::size_t>(size), 0);
}

std::optional<std::uint64_t> PixelDataSize(const std::vector<unsigned char>& header) {
  if (header.size() < kInfoHeaderSize) return std::nullopt;
  return sensor::PixelDataSize(ReadHeaderFields(header.data()));
}

std::optional<LoadedBitmap> LoadBitmapFile(const std::optional<std::string>& path) {
  if (!path || access(path->c_str(), F_OK) != 0 || access(path->c_str(), R_OK) != 0) {
    return std::nullopt;
  }
  const FileHandle file = OpenRegularFile(*path);
  if (!file) return std::nullopt;

  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0) return std::nullopt;
  const std::uint64_t fileSize = static_cast<std::uint64_t>(info.st_size);

  unsigned char fileHeader[kFileHeaderSize];
  if (std::fread(fileHeader, 1, sizeof fileHeader, file.get()) != sizeof fileHeader) {
    return std::nullopt;
  }
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return std::nullopt;
  const std::uint32_t pixelOffset = bitmap::ReadU32(fileHeader + 10);
  if (pixelOffset < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;

  LoadedBitmap bitmap;
  const std::uint64_t headerSize = pixelOffset - kFileHeaderSize;
  if (!ReadPiece(file.get(), headerSize, fileSize - kFileHeaderSize, bitmap.Header)) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> pixelSize = PixelDataSize(bitmap.Header);
  if (!pixelSize || !ReadPiece(file.get(), *pixelSize, fileSize - pixelOffset, bitmap.Pixels)) {
    return std::nullopt;
  }
  if (!BindingFitsBuffer(bitmap)) return std::nullopt;
  return bitmap;
}

std::optional<LoadedBitmap> CopyBitmap(const LoadedBitmap& bitmap) {
  try {
    LoadedBitmap copy;
    copy.Header = bitmap.Header;
    copy.Pixels.reserve(bitmap.Pixels.size());
    AskForLargePages(copy.Pixels.data(), copy.Pixels.capacity());
    copy.Pixels.assign(bitmap.Pixels.begin(), bitmap.Pixels.end());
    return copy;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace sensor::frontend
