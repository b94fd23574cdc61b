#include "frontend/pictures/bitmap_loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "common/frontend_interface.h"
#include "common/precondition.h"
#include "frontend/common/regular_file.h"

namespace sensor::frontend {
namespace {

using bitmap::kFileHeaderSize;
using bitmap::kInfoHeaderSize;

// A zero-filled buffer of `size` bytes read in full from the file's current
// position; false on a short read or when the buffer cannot be had.
bool ReadPiece(std::FILE* file, std::uint64_t size, std::uint64_t bytesLeft, std::vector<unsigned char>& out) {
  if (size > bytesLeft) return false;
  try {
    out.assign(static_cast<std::size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return std::fread(out.data(), 1, out.size(), file) == out.size();
}

// `count` bytes of `fd` from `offset` into `to`; false when the file ends
// before them or cannot be read.
bool ReadFully(int fd, unsigned char* to, std::size_t count, std::uint64_t offset) {
  while (count > 0) {
    const ssize_t got = pread(fd, to, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    to += got;
    count -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

// The pixel data, `size` bytes from the file's current position `offset`:
// mapped when asked and possible, else read into memory of its own; false on
// a short file or when the buffer cannot be had.
bool TakePixels(std::FILE* file, std::uint64_t offset, std::uint64_t size, std::uint64_t bytesLeft,
                PixelMemory memory, PixelBuffer& out) {
  if (size > bytesLeft) return false;
  if (memory == PixelMemory::MappedFile && size > 0) {
    if (std::optional<PixelBuffer> mapped = PixelBuffer::MapFile(fileno(file), offset, size)) {
      out = std::move(*mapped);
      return true;
    }
  }
  // Read in parts at their places in the file (see PixelBuffer::Filled); a
  // part that meets the file's end early fails the whole, as a short file.
  const int fd = fileno(file);
  std::optional<PixelBuffer> read;
  try {
    read = PixelBuffer::Filled(size, [fd, offset](unsigned char* part, std::size_t at, std::size_t count) {
      return ReadFully(fd, part, count, offset + at);
    });
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!read) return false;
  SENSOR_PRECONDITION(read->size() == size);
  out = std::move(*read);
  return true;
}

// Whether the library's binding of this bitmap stays inside the pixel buffer.
bool BindingFitsBuffer(LoadedBitmap& bitmap) {
  SENSOR_PRECONDITION(bitmap.Header.size() >= kInfoHeaderSize);
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

void AllocatePixelBuffer(PixelBuffer& out, std::uint64_t size) { out = PixelBuffer::Zeroed(size); }

std::optional<std::uint64_t> PixelDataSize(const std::vector<unsigned char>& header) {
  if (header.size() < kInfoHeaderSize) return std::nullopt;
  return sensor::PixelDataSize(ReadHeaderFields(header.data()));
}

std::optional<LoadedBitmap> LoadBitmapFile(const std::optional<std::string>& path, PixelMemory memory) {
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
  // The header read ends where the pixel data begins.
  SENSOR_PRECONDITION(bitmap.Header.size() == headerSize && kFileHeaderSize + headerSize == pixelOffset);
  const std::optional<std::uint64_t> pixelSize = PixelDataSize(bitmap.Header);
  if (!pixelSize || !TakePixels(file.get(), pixelOffset, *pixelSize, fileSize - pixelOffset, memory, bitmap.Pixels)) {
    return std::nullopt;
  }
  if (!BindingFitsBuffer(bitmap)) return std::nullopt;
  return bitmap;
}

std::optional<LoadedBitmap> CopyBitmap(const LoadedBitmap& bitmap) {
  try {
    LoadedBitmap copy;
    copy.Header = bitmap.Header;
    copy.Dng = bitmap.Dng;
    const unsigned char* source = bitmap.Pixels.data();
    std::optional<PixelBuffer> pixels =
        PixelBuffer::Filled(bitmap.Pixels.size(), [source](unsigned char* part, std::size_t at, std::size_t count) {
          std::memcpy(part, source + at, count);
          return true;
        });
    if (!pixels) return std::nullopt;
    copy.Pixels = std::move(*pixels);
    return copy;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace sensor::frontend
