#include "frontend/pictures/picture_loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "common/frontend_interface.h"
#include "frontend/common/regular_file.h"
#include "frontend/pictures/bitmap_reader.h"
#include "frontend/pictures/packed_raw_reader.h"
#include "frontend/pictures/pgm_reader.h"
#include "frontend/pictures/tiff_reader.h"

namespace sensor::frontend {
namespace {

enum class Kind { Bitmap, Greymap, Tiff, RawFrame };

Kind KindOf(FileBytes first) {
  if (first.size() >= 3 && first[0] == 'P' && first[1] == '5' &&
      (first[2] == ' ' || first[2] == '\t' || first[2] == '\n' || first[2] == '\r')) {
    return Kind::Greymap;
  }
  if (first.size() >= 4 &&
      ((std::memcmp(first.data(), "II", 2) == 0 && (first[2] == 42 || first[2] == 43) && first[3] == 0) ||
       (std::memcmp(first.data(), "MM", 2) == 0 && first[2] == 0 && (first[3] == 42 || first[3] == 43)))) {
    return Kind::Tiff;
  }
  return Kind::Bitmap;
}

// The request's raw layout, parsed; false, with the problem set, when it is
// given and does not scan.
bool LayoutOf(const PictureRequest& request, std::optional<RawLayout>& layout, LoadProblem& problem) {
  if (!request.RawLayout) return true;
  layout = ParseRawLayout(request.RawLayout->c_str());
  if (layout) return true;
  problem = "-RawLayout " + *request.RawLayout +
            " is not FORMAT,WIDTH,HEIGHT[,STRIDE] with FORMAT raw10, raw12 or raw16, positive sizes and a "
            "stride not below the packed row";
  return false;
}

// A raw frame, greymap or TIFF picture from the file's bytes.
std::optional<Picture> ReadSamples(FileBytes file, Kind kind, const std::optional<RawLayout>& layout,
                                   const PictureRequest& request, LoadProblem& problem) {
  switch (kind) {
    case Kind::RawFrame:
      return ReadPackedRaw(file, *layout, request, problem);
    case Kind::Greymap:
      return ReadPgm(file, request, problem);
    case Kind::Tiff:
      return ReadTiff(file, request, problem);
    case Kind::Bitmap:
      break;
  }
  return std::nullopt;
}

// Up to `count` bytes of `fd` from `offset` into `to`; how many were read
// before the file ended, or -1 when it cannot be read.
std::int64_t ReadAt(int fd, unsigned char* to, std::size_t count, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = pread(fd, to + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

// The file's first `size` bytes in memory of their own, read in parts on the
// analysis threads (PixelBuffer::Filled) with byte `alignedAt` starting a
// large page; nothing when the file ends early or the memory cannot be had.
std::optional<PixelBuffer> ReadFileStart(int fd, std::uint64_t size, std::uint64_t alignedAt) {
  try {
    return PixelBuffer::Filled(
        size,
        [fd](unsigned char* part, std::size_t at, std::size_t count) {
          return ReadAt(fd, part, count, at) == static_cast<std::int64_t>(count);
        },
        alignedAt);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// How many of a bitmap file's first bytes its reader needs: its headers and
// its pixel data as the headers give their size, or the whole file where they
// do not (the reader then refuses it).
std::uint64_t BitmapExtent(int fd, std::uint64_t fileSize, const unsigned char* fileHeader) {
  const std::uint64_t pixelOffset = bitmap::ReadU32(fileHeader + 10);
  if (pixelOffset < bitmap::kFileHeaderSize + bitmap::kInfoHeaderSize || pixelOffset > fileSize) return fileSize;
  unsigned char info[bitmap::kInfoHeaderSize];
  if (ReadAt(fd, info, sizeof info, bitmap::kFileHeaderSize) != static_cast<std::int64_t>(sizeof info)) {
    return fileSize;
  }
  const std::optional<std::uint64_t> pixels = PixelDataSize(std::vector<unsigned char>(info, info + sizeof info));
  return pixels && *pixels <= fileSize - pixelOffset ? pixelOffset + *pixels : fileSize;
}

}  // namespace

std::optional<Picture> ReadPictureBytes(FileBytes file, const PictureRequest& request, LoadProblem& problem) {
  problem.clear();
  std::optional<RawLayout> layout;
  if (!LayoutOf(request, layout, problem)) return std::nullopt;
  const Kind kind = layout ? Kind::RawFrame : KindOf(file);
  return kind == Kind::Bitmap ? ReadBitmap(file) : ReadSamples(file, kind, layout, request, problem);
}

std::optional<Picture> ReadPicture(const std::optional<std::string>& path, const PictureRequest& request,
                                   LoadProblem& problem) {
  problem.clear();
  std::optional<RawLayout> layout;
  if (!LayoutOf(request, layout, problem)) return std::nullopt;
  if (!path) return std::nullopt;
  const FileHandle handle = access(path->c_str(), R_OK) == 0 ? OpenRegularFile(*path) : FileHandle(nullptr, fclose);
  if (!handle) {
    if (layout) problem = "the raw frame " + *path + " cannot be read";
    return std::nullopt;
  }
  const int fd = fileno(handle.get());
  struct stat info {};
  if (fstat(fd, &info) != 0) return std::nullopt;
  const auto fileSize = static_cast<std::uint64_t>(info.st_size);

  unsigned char first[bitmap::kFileHeaderSize] = {};
  const std::int64_t got = ReadAt(fd, first, sizeof first, 0);
  if (got < 0) return std::nullopt;
  const Kind kind = layout ? Kind::RawFrame : KindOf(FileBytes(first, static_cast<std::size_t>(got)));

  const bool bitmapFile = got == static_cast<std::int64_t>(sizeof first) && first[0] == 'B' && first[1] == 'M';
  if (kind == Kind::Bitmap && !bitmapFile) return std::nullopt;

  // The file's bytes: mapped unless a bitmap's pixels are to be memory of
  // their own, else read (a bitmap's headers and pixel data only).
  std::optional<PixelBuffer> bytes;
  if (kind != Kind::Bitmap || request.Memory == PixelMemory::MappedFile) {
    bytes = PixelBuffer::MapFile(fd, 0, fileSize, false);
  }
  if (!bytes) {
    bytes = kind == Kind::Bitmap ? ReadFileStart(fd, BitmapExtent(fd, fileSize, first), bitmap::ReadU32(first + 10))
                                 : ReadFileStart(fd, fileSize, 0);
  }
  if (kind == Kind::Bitmap) return bytes ? ReadBitmapInPlace(std::move(*bytes)) : std::nullopt;
  if (!bytes || !bytes->EnterPages(0, bytes->size())) {
    problem = "the file " + *path + " cannot be read";
    return std::nullopt;
  }
  std::optional<Picture> picture = ReadSamples(FileBytes(bytes->data(), bytes->size()), kind, layout, request, problem);
  // A mapped file cut short or rewritten while it was read may have given
  // bytes it never held together.
  if (picture && !bytes->Intact()) {
    problem = "the file " + *path + " changed while it was read";
    return std::nullopt;
  }
  return picture;
}

std::optional<Picture> LoadPicture(const std::optional<std::string>& path, const PictureRequest& request) {
  LoadProblem problem;
  std::optional<Picture> picture = ReadPicture(path, request, problem);
  if (!problem.empty()) std::printf("\nThe picture is not loaded: %s.\n", problem.c_str());
  return picture;
}

}  // namespace sensor::frontend
