#include "frontend/pictures/pgm_reader.h"

#include <algorithm>
#include <new>
#include <vector>

#include "common/precondition.h"
#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

// The header is short; no honest one comes near this.
constexpr std::size_t kHeaderLimit = 4096;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class HeaderScanner {
 public:
  // Scans the file's bytes from `start`.
  HeaderScanner(FileBytes file, std::size_t start) : file_(file), at_(start) {}

  // Skips white space and comments, then reads a decimal number of at most
  // 10 digits; nothing when there is none or it does not end in white space.
  std::optional<std::uint64_t> Number() {
    int c = Next();
    while (IsSpace(c) || c == '#') {
      if (c == '#') {
        while (c != '\n' && c != '\r' && c != kEnd) c = Next();
      }
      c = Next();
    }
    std::uint64_t value = 0;
    int digits = 0;
    while (c >= '0' && c <= '9' && digits < 10) {
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
      ++digits;
      c = Next();
    }
    if (digits == 0 || !IsSpace(c)) return std::nullopt;
    return value;
  }
  std::uint64_t Consumed() const { return consumed_; }

 private:
  int Next() {
    if (consumed_ >= kHeaderLimit || at_ >= file_.size()) return kEnd;
    ++consumed_;
    return file_[at_++];
  }
  static constexpr int kEnd = -1;
  FileBytes file_;
  std::size_t at_;
  std::uint64_t consumed_ = 0;
};

}  // namespace

std::optional<Picture> ReadPgm(FileBytes file, const PictureRequest& mode, LoadProblem& problem) {
  if (file.size() < 2 || file[0] != 'P' || file[1] != '5') {
    problem = "not a binary greymap (P5)";
    return std::nullopt;
  }
  HeaderScanner header(file, 2);
  const std::optional<std::uint64_t> width = header.Number();
  const std::optional<std::uint64_t> height = width ? header.Number() : std::nullopt;
  const std::optional<std::uint64_t> maxval = height ? header.Number() : std::nullopt;
  if (!maxval) {
    problem = "the greymap's header (width, height, largest value) is incomplete or malformed";
    return std::nullopt;
  }
  if (*maxval < 1 || *maxval > 65535) {
    problem = Format("the greymap's largest value %llu is outside 1 to 65535",
                     static_cast<unsigned long long>(*maxval));
    return std::nullopt;
  }
  if (*width == 0 || *height == 0 || *width > INT32_MAX || *height > INT32_MAX) {
    problem = Format("the greymap's size %llux%llu cannot be analysed", static_cast<unsigned long long>(*width),
                     static_cast<unsigned long long>(*height));
    return std::nullopt;
  }
  const std::uint64_t bytesPerSample = *maxval > 255 ? 2 : 1;
  const std::uint64_t rowBytes = *width * bytesPerSample;
  const std::uint64_t dataStart = 2 + header.Consumed();
  const std::uint64_t expected = dataStart + rowBytes * *height;  // below 2^64: both factors below 2^32
  const std::uint64_t fileSize = file.size();
  if (fileSize != expected) {
    problem = Format("the file holds %llu bytes, its greymap header (%llux%llu, largest value %llu) needs %llu",
                     static_cast<unsigned long long>(fileSize), static_cast<unsigned long long>(*width),
                     static_cast<unsigned long long>(*height), static_cast<unsigned long long>(*maxval),
                     static_cast<unsigned long long>(expected));
    return std::nullopt;
  }
  std::optional<RawFrame> frame =
      RawFrame::Make(static_cast<std::int64_t>(*width), static_cast<std::int64_t>(*height), mode,
                     SampleWords{BitLength(*maxval), true, mode.TopBits}, problem);
  if (!frame) return std::nullopt;

  std::vector<std::uint16_t> samples;
  try {
    samples.resize(static_cast<std::size_t>(*width));
  } catch (const std::bad_alloc&) {
    problem = "no memory for reading the greymap";
    return std::nullopt;
  }
  // Each row holds Width() samples; the file holds every row.
  SENSOR_PRECONDITION(samples.size() * bytesPerSample == rowBytes && dataStart + rowBytes * *height == file.size());
  SENSOR_PRECONDITION(static_cast<std::uint64_t>(frame->Width()) == *width &&
                      static_cast<std::uint64_t>(frame->Height()) == *height);
  for (std::int32_t y = 0; y < frame->Height(); ++y) {
    const unsigned char* row = file.data() + dataStart + static_cast<std::uint64_t>(y) * rowBytes;
    std::uint32_t highest = 0;
    if (bytesPerSample == 1) {
      for (std::size_t x = 0; x < samples.size(); ++x) {
        samples[x] = row[x];
        highest = std::max<std::uint32_t>(highest, row[x]);
      }
    } else {
      std::uint16_t top = 0;  // a 16-bit maximum, which vector loops take at once
      for (std::size_t x = 0; x < samples.size(); ++x) {
        samples[x] = static_cast<std::uint16_t>(row[2 * x] << 8 | row[2 * x + 1]);
        top = std::max(top, samples[x]);
      }
      highest = top;
    }
    if (highest > *maxval) {
      problem = Format("row %d holds the value %u, above the greymap's largest value %llu", y, highest,
                       static_cast<unsigned long long>(*maxval));
      return std::nullopt;
    }
    if (!frame->StoreRow(y, samples.data(), problem)) return std::nullopt;
  }
  return std::move(*frame).Finish();
}

}  // namespace sensor::frontend
