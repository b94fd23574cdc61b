#include "frontend/station/picture_diagnosis.h"

#include <cstring>

#include "common/frontend_interface.h"
#include "frontend/common/regular_file.h"

namespace sensor::frontend {
namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

Diagnostic DiagnosePicture(const std::optional<std::string>& path, const PictureRequest& request) {
  if (!path) {
    return {DiagnosticClass::Picture, "-BMPFileIn", "no picture named", "give the picture as -BMPFileIn FILE"};
  }
  Diagnostic d{DiagnosticClass::Picture, *path, "", ""};
  LoadProblem problem;
  const std::optional<Picture> again = ReadPicture(path, request, problem);
  if (!problem.empty()) {
    d.Problem = "refused: " + problem;
    return d;
  }
  if (again) {
    d.Problem = "could not be loaded this time (memory may have run short)";
    d.Remedy = "run again with fewer runs at once";
    return d;
  }
  const FileHandle file = OpenRegularFile(*path);
  if (!file) {
    d.Problem = UnreadableFileProblem(*path);
    d.Remedy = "check the path given to -BMPFileIn";
    return d;
  }
  unsigned char first[8] = {};
  const std::size_t got = std::fread(first, 1, sizeof first, file.get());
  if (got == sizeof kPngSignature && std::memcmp(first, kPngSignature, sizeof kPngSignature) == 0) {
    d.Problem = "a PNG file, a format that is not read";
    d.Remedy = kPictureFormats;
  } else if (got < 2 || first[0] != 'B' || first[1] != 'M') {
    d.Problem = got == 0 ? "an empty file" : "of an unknown format";
    d.Remedy = kPictureFormats;
  } else {
    d.Problem = "a damaged bitmap: its headers or pixel rows are cut short or do not fit together";
    d.Remedy = "write the picture again";
  }
  return d;
}

std::optional<Diagnostic> DiagnoseRefusedBitmap(const std::string& path, const Picture& bitmap) {
  if (bitmap.Header.size() < bitmap::kInfoHeaderSize) return std::nullopt;
  const unsigned char* header = bitmap.Header.data();
  const auto width = static_cast<std::int32_t>(bitmap::ReadU32(header + 4));
  const auto height = static_cast<std::int32_t>(bitmap::ReadU32(header + 8));
  const std::uint16_t bitCount = bitmap::ReadU16(header + 14);
  Diagnostic d{DiagnosticClass::Picture, path, "", ""};
  if (bitCount != 24 && bitCount != 32) {
    d.Problem = "refused: the bitmap has " + std::to_string(bitCount) +
                " bits per pixel; the analysis libraries take 24 or 32";
    d.Remedy = "write the picture as a 24- or 32-bit bitmap";
    return d;
  }
  if (width <= 0 || height == 0 || height == INT32_MIN) {
    d.Problem = "refused: the bitmap's size " + std::to_string(width) + " x " + std::to_string(height) +
                " holds no pixels";
    d.Remedy = "write the picture again";
    return d;
  }
  return std::nullopt;
}

}  // namespace sensor::frontend
