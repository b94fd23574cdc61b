#include "frontend/pictures/picture_loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "frontend/pictures/packed_raw_reader.h"
#include "frontend/pictures/pgm_reader.h"
#include "frontend/common/regular_file.h"
#include "frontend/pictures/tiff_reader.h"

namespace sensor::frontend {
namespace {

enum class Kind { Bitmap, Greymap, Tiff };

Kind KindOf(const unsigned char* first, std::size_t size) {
  if (size >= 3 && first[0] == 'P' && first[1] == '5' &&
      (first[2] == ' ' || first[2] == '\t' || first[2] == '\n' || first[2] == '\r')) {
    return Kind::Greymap;
  }
  if (size >= 4 && ((std::memcmp(first, "II", 2) == 0 && (first[2] == 42 || first[2] == 43) && first[3] == 0) ||
                    (std::memcmp(first, "MM", 2) == 0 && first[2] == 0 && (first[3] == 42 || first[3] == 43)))) {
    return Kind::Tiff;
  }
  return Kind::Bitmap;
}

}  // namespace

std::optional<LoadedBitmap> ReadPicture(const std::optional<std::string>& path, const PictureRequest& request,
                                        LoadProblem& problem) {
  problem.clear();
  std::optional<RawLayout> layout;
  if (request.RawLayout) {
    layout = ParseRawLayout(request.RawLayout->c_str());
    if (!layout) {
      problem = "-RawLayout " + *request.RawLayout +
                " is not FORMAT,WIDTH,HEIGHT[,STRIDE] with FORMAT raw10, raw12 or raw16, positive sizes and a "
                "stride not below the packed row";
      return std::nullopt;
    }
  }
  if (!path) return std::nullopt;
  const FileHandle file = path && access(path->c_str(), R_OK) == 0 ? OpenRegularFile(*path) : FileHandle(nullptr, fclose);
  if (!file) {
    if (layout) problem = "the raw frame " + *path + " cannot be read";
    return layout ? std::nullopt : LoadBitmapFile(path, request.Memory);
  }
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0) return std::nullopt;
  const auto fileSize = static_cast<std::uint64_t>(info.st_size);
  if (layout) return ReadPackedRaw(file.get(), fileSize, *layout, request.Mode, problem);

  unsigned char first[4] = {};
  const std::size_t got = std::fread(first, 1, sizeof first, file.get());
  std::rewind(file.get());
  switch (KindOf(first, got)) {
    case Kind::Greymap:
      return ReadPgm(file.get(), fileSize, request.Mode, problem);
    case Kind::Tiff:
      return ReadTiff(file.get(), fileSize, request.Mode, problem);
    case Kind::Bitmap:
      break;
  }
  return LoadBitmapFile(path, request.Memory);
}

std::optional<LoadedBitmap> LoadPicture(const std::optional<std::string>& path, const PictureRequest& request) {
  LoadProblem problem;
  std::optional<LoadedBitmap> picture = ReadPicture(path, request, problem);
  if (!problem.empty()) std::printf("\nThe picture is not loaded: %s.\n", problem.c_str());
  return picture;
}

}  // namespace sensor::frontend
