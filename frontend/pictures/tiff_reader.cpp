#include "frontend/pictures/tiff_reader.h"

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/precondition.h"
#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

// No lossless compression packs picture data much tighter than this; a file
// that claims more is refused before anything is allocated for it.
constexpr std::uint64_t kMostCompression = 4096;
// The largest single allocation libtiff may make for a hostile file, and the
// largest band of tiles read at once (a 48 MP picture in tiles of 1024 rows
// needs 16 MiB).
constexpr tmsize_t kLibraryAllocationLimit = tmsize_t{256} << 20;
constexpr std::uint64_t kTileBandLimit = std::uint64_t{256} << 20;

constexpr std::uint16_t kPhotometricCfa = 32803;  // PHOTOMETRIC_CFA

// libtiff's first error message of the file; `format` is libtiff's own
// printf format for `args`.
__attribute__((format(printf, 4, 0)))
int KeepFirstError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto* message = static_cast<std::string*>(user);
  if (message->empty()) {
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    *message = module != nullptr ? std::string(module) + ": " + text : std::string(text);
  }
  return 1;
}
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// The file's bytes as libtiff reads them: a read position that moves as in
// a file (a seek may pass the end; a read there gives nothing) and no writes.
struct MemoryFile {
  FileBytes Bytes;
  std::uint64_t At = 0;

  static tmsize_t Read(thandle_t handle, void* to, tmsize_t count) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (count < 0) return -1;
    const std::uint64_t left = file->At < file->Bytes.size() ? file->Bytes.size() - file->At : 0;
    const auto taken = static_cast<std::size_t>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(count)));
    if (taken > 0) std::memcpy(to, file->Bytes.data() + file->At, taken);
    file->At += taken;
    return static_cast<tmsize_t>(taken);
  }
  static tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }
  static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(handle);
    const std::uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->At : file->Bytes.size();
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return static_cast<toff_t>(-1);
    // Offsets are unsigned: a step back from SEEK_CUR or SEEK_END wraps
    // around, as lseek's signed offset would.
    const std::uint64_t to = base + offset;
    if (to > static_cast<std::uint64_t>(INT64_MAX)) return static_cast<toff_t>(-1);
    file->At = to;
    return to;
  }
  static int Close(thandle_t) { return 0; }
  static toff_t Size(thandle_t handle) { return static_cast<MemoryFile*>(handle)->Bytes.size(); }
  static int Map(thandle_t, void**, toff_t*) { return 0; }
  static void Unmap(thandle_t, void*, toff_t) {}
};

TiffHandle Open(MemoryFile& file, std::string& libraryMessage) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kLibraryAllocationLimit);
  TIFFOpenOptionsSetErrorHandlerExtR(options, KeepFirstError, &libraryMessage);
  TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
  TIFF* tiff = TIFFClientOpenExt("picture", "rm", &file, MemoryFile::Read, MemoryFile::Write, MemoryFile::Seek,
                                 MemoryFile::Close, MemoryFile::Size, MemoryFile::Map, MemoryFile::Unmap, options);
  TIFFOpenOptionsFree(options);
  return TiffHandle(tiff);
}

// In a DNG, moves to the full-resolution picture: the first directory when it
// is one (NewSubFileType 0), else the first such sub-directory.
bool SelectMainPicture(TIFF* tiff) {
  std::uint32_t kind = 0;
  TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &kind);
  if (kind == 0) return true;
  std::uint16_t count = 0;
  std::uint64_t* listed = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_SUBIFD, &count, &listed) == 0 || listed == nullptr) return false;
  // Moving to a sub-directory ends the list's life: the first few, copied.
  std::array<std::uint64_t, 8> offsets{};
  const std::size_t taken = std::min<std::size_t>(count, offsets.size());
  std::copy_n(listed, taken, offsets.begin());
  for (std::size_t i = 0; i < taken; ++i) {
    if (TIFFSetSubDirectory(tiff, offsets[i]) == 0) continue;
    kind = 0;
    TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &kind);
    if (kind == 0) return true;
  }
  return false;
}

struct Region {
  std::uint32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

const char* PatternName(const std::uint8_t colours[4]) {
  static constexpr const char* kNames[] = {"R", "G", "B"};
  static thread_local std::string name;
  name.clear();
  for (int i = 0; i < 4; ++i) name += colours[i] < 3 ? kNames[colours[i]] : "?";
  return name.c_str();
}

// Checks that the CFA pattern, read from the region's top-left pixel, is
// green, red / blue, green.
bool CheckCfaPhase(TIFF* tiff, const Region& region, LoadProblem& problem) {
  std::uint16_t* dims = nullptr;
  std::uint16_t count = 0;
  std::uint8_t* pattern = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, &dims) == 0 || dims == nullptr ||
      TIFFGetField(tiff, TIFFTAG_CFAPATTERN, &count, &pattern) == 0 || pattern == nullptr) {
    problem = "the CFA picture gives no CFA pattern (CFARepeatPatternDim, CFAPattern)";
    return false;
  }
  if (dims[0] != 2 || dims[1] != 2 || count != 4) {
    problem = Format("the CFA pattern repeats every %ux%u pixels; only 2x2 Bayer patterns are analysed",
                     static_cast<unsigned>(dims[1]), static_cast<unsigned>(dims[0]));
    return false;
  }
  std::uint8_t atRegion[4];
  for (std::uint32_t r = 0; r < 2; ++r)
    for (std::uint32_t c = 0; c < 2; ++c)
      atRegion[r * 2 + c] = pattern[((region.Top + r) % 2) * 2 + (region.Left + c) % 2];
  static constexpr std::uint8_t kExpected[4] = {1, 0, 2, 1};
  for (int i = 0; i < 4; ++i) {
    if (atRegion[i] != kExpected[i]) {
      problem = Format("the CFA pattern from the picture's top-left pixel is %s; the analysis needs GRBG "
                       "(green, red in the top row, red in column 1): store the frame in that phase",
                       PatternName(atRegion));
      return false;
    }
  }
  return true;
}

// The picture's rows, read whole from strips or through a band of tiles.
class RowReader {
 public:
  RowReader(TIFF* tiff, std::uint32_t width, std::size_t pixelBytes) : tiff_(tiff), width_(width), pixelBytes_(pixelBytes) {}

  bool Prepare() {
    try {
      if (TIFFIsTiled(tiff_) == 0) {
        row_.resize(static_cast<std::size_t>(TIFFScanlineSize64(tiff_)));
        return !row_.empty() && row_.size() >= width_ * pixelBytes_;
      }
      if (TIFFGetField(tiff_, TIFFTAG_TILEWIDTH, &tileWidth_) == 0 ||
          TIFFGetField(tiff_, TIFFTAG_TILELENGTH, &tileLength_) == 0 || tileWidth_ == 0 || tileLength_ == 0) {
        return false;
      }
      const std::uint64_t tileBytes = static_cast<std::uint64_t>(TIFFTileSize64(tiff_));
      const std::uint64_t tileRow = std::uint64_t{tileWidth_} * pixelBytes_;
      if (tileBytes < tileRow * tileLength_) return false;
      const std::uint64_t tilesAcross = (width_ + tileWidth_ - 1) / tileWidth_;
      const std::uint64_t band = tilesAcross * tileWidth_ * pixelBytes_ * tileLength_;
      if (tileWidth_ > (1u << 16) || tileLength_ > (1u << 16) || band > kTileBandLimit) return false;
      tile_.resize(static_cast<std::size_t>(tileBytes));
      band_.resize(static_cast<std::size_t>(band));
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  // Picture row y, rows asked in rising order; null when it cannot be read.
  const unsigned char* Row(std::uint32_t y) {
    // Prepare() succeeded: a strip row, or a band of whole tiles, holds the row's pixels.
    SENSOR_PRECONDITION(tileLength_ == 0 ? row_.size() >= std::uint64_t{width_} * pixelBytes_
                                         : band_.size() / tileLength_ >= std::uint64_t{width_} * pixelBytes_ &&
                                               tile_.size() >= std::uint64_t{tileWidth_} * pixelBytes_ * tileLength_);
    if (tileLength_ == 0) {
      return TIFFReadScanline(tiff_, row_.data(), y, 0) == 1 ? row_.data() : nullptr;
    }
    const std::uint32_t bandTop = y / tileLength_ * tileLength_;
    if (!bandRead_ || bandTop != bandTop_) {
      bandRead_ = false;
      const std::size_t bandRow = band_.size() / tileLength_;
      const std::size_t tileRow = std::size_t{tileWidth_} * pixelBytes_;
      for (std::uint32_t x = 0; x < width_; x += tileWidth_) {
        if (TIFFReadEncodedTile(tiff_, TIFFComputeTile(tiff_, x, bandTop, 0, 0), tile_.data(),
                                static_cast<tmsize_t>(tile_.size())) < 0) {
          return nullptr;
        }
        for (std::uint32_t r = 0; r < tileLength_; ++r) {
          std::copy_n(tile_.data() + r * tileRow, tileRow, band_.data() + r * bandRow + std::size_t{x} * pixelBytes_);
        }
      }
      bandTop_ = bandTop;
      bandRead_ = true;
    }
    return band_.data() + (y - bandTop_) * (band_.size() / tileLength_);
  }

 private:
  TIFF* tiff_;
  std::uint32_t width_;
  std::size_t pixelBytes_;
  std::uint32_t tileWidth_ = 0, tileLength_ = 0;
  std::uint32_t bandTop_ = 0;
  bool bandRead_ = false;
  std::vector<unsigned char> row_, tile_, band_;
};

// The levels of the picture's directory, as many as it gives, else the
// defaults (black 0, white the largest sample of `bits`).
DngLevels LevelsOf(TIFF* tiff, std::uint16_t bits) {
  DngLevels levels;
  std::uint16_t count = 0;
  void* values = nullptr;
  const TIFFField* black = TIFFFieldWithTag(tiff, TIFFTAG_BLACKLEVEL);
  if (black != nullptr && TIFFGetField(tiff, TIFFTAG_BLACKLEVEL, &count, &values) != 0 && values != nullptr) {
    // Rationals come as float or double, depending on libtiff's version.
    const bool wide = TIFFFieldSetGetSize(black) == 8;
    for (std::uint16_t i = 0; i < count; ++i) {
      levels.Black.push_back(wide ? static_cast<const double*>(values)[i] : static_cast<const float*>(values)[i]);
    }
  }
  if (levels.Black.empty()) levels.Black.push_back(0.0);
  std::uint32_t* white = nullptr;
  count = 0;
  if (TIFFGetField(tiff, TIFFTAG_WHITELEVEL, &count, &white) != 0 && white != nullptr) {
    for (std::uint16_t i = 0; i < count; ++i) levels.White.push_back(white[i]);
  }
  if (levels.White.empty()) levels.White.push_back(static_cast<double>((std::uint32_t{1} << bits) - 1));
  return levels;
}

// How a picture of `bits`-bit words holds its samples: a DNG states its range
// in WhiteLevel.
SampleWords WordsOf(TIFF* tiff, bool dng, std::uint16_t bits, const PictureRequest& mode) {
  SampleWords words{bits, false, mode.TopBits};
  std::uint16_t count = 0;
  std::uint32_t* white = nullptr;
  if (dng && TIFFGetField(tiff, TIFFTAG_WHITELEVEL, &count, &white) != 0 && white != nullptr && count > 0) {
    words.Bits = std::clamp(BitLength(white[0]), 1, int{bits});
    words.Declared = true;
  }
  return words;
}

std::optional<Picture> ReadRaw(TIFF* tiff, const Region& region, std::uint16_t bits, const PictureRequest& mode,
                                    const SampleWords& words, LoadProblem& problem, const std::string& libraryMessage,
                                    bool& outOfRange) {
  SENSOR_PRECONDITION(bits == 8 || bits == 16);
  SENSOR_PRECONDITION(region.Width > 0 && region.Height > 0);
  outOfRange = false;
  std::optional<RawFrame> frame = RawFrame::Make(region.Width, region.Height, mode, words, problem);
  if (!frame) return std::nullopt;
  const std::size_t sampleBytes = bits / 8;
  RowReader rows(tiff, region.Left + region.Width, sampleBytes);
  std::vector<std::uint16_t> samples;
  try {
    samples.resize(region.Width);
  } catch (const std::bad_alloc&) {
    problem = "no memory for reading the picture";
    return std::nullopt;
  }
  if (!rows.Prepare()) {
    problem = "the picture's strips or tiles are laid out inconsistently";
    return std::nullopt;
  }
  for (std::uint32_t y = 0; y < region.Top + region.Height; ++y) {
    const unsigned char* row = rows.Row(y);
    if (row == nullptr) {
      problem = Format("row %u could not be read: %s", y, libraryMessage.c_str());
      return std::nullopt;
    }
    if (y < region.Top) continue;
    const unsigned char* first = row + std::size_t{region.Left} * sampleBytes;
    for (std::uint32_t x = 0; x < region.Width; ++x) {
      if (sampleBytes == 1) {
        samples[x] = first[x];
      } else {
        std::memcpy(&samples[x], first + 2 * x, 2);  // libtiff gives host order
      }
    }
    if (!frame->StoreRow(static_cast<std::int32_t>(y - region.Top), samples.data(), problem)) {
      outOfRange = true;
      return std::nullopt;
    }
  }
  return std::move(*frame).Finish();
}

std::optional<Picture> ReadColour(TIFF* tiff, const Region& region, LoadProblem& problem,
                                  const std::string& libraryMessage) {
  Picture picture;
  const auto height = static_cast<std::int32_t>(region.Height);
  if (!AllocateBottomUpBitmap(static_cast<std::int32_t>(region.Width), height, 24, picture)) {
    problem = "no memory for the picture";
    return std::nullopt;
  }
  // Each bottom-up row holds the region's 3-byte pixels.
  SENSOR_PRECONDITION(region.Width > 0 && region.Height > 0 &&
                      picture.Pixels.size() / region.Height >= 3 * std::uint64_t{region.Width});
  RowReader rows(tiff, region.Width, 3);
  if (!rows.Prepare()) {
    problem = "the picture's strips or tiles are laid out inconsistently";
    return std::nullopt;
  }
  for (std::uint32_t y = 0; y < region.Height; ++y) {
    const unsigned char* row = rows.Row(y);
    if (row == nullptr) {
      problem = Format("row %u could not be read: %s", y, libraryMessage.c_str());
      return std::nullopt;
    }
    unsigned char* out = BottomUpRow(picture, height, static_cast<std::int32_t>(y));
    for (std::uint32_t x = 0; x < region.Width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  return picture;
}

}  // namespace

std::optional<Picture> ReadTiff(FileBytes bytes, const PictureRequest& mode, LoadProblem& problem) {
  std::string libraryMessage;
  MemoryFile file{bytes};
  const TiffHandle tiff = Open(file, libraryMessage);
  const std::uint64_t fileSize = bytes.size();
  if (!tiff) {
    problem = "not a readable TIFF file: " + libraryMessage;
    return std::nullopt;
  }
  std::uint8_t* version = nullptr;
  const bool dng = TIFFGetField(tiff.get(), TIFFTAG_DNGVERSION, &version) != 0;
  if (dng && !SelectMainPicture(tiff.get())) {
    problem = "the DNG file holds no full-resolution picture";
    return std::nullopt;
  }

  std::uint32_t width = 0, height = 0;
  std::uint16_t channels = 1, bits = 1, format = SAMPLEFORMAT_UINT, photometric = 0xFFFF,
                planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT;
  if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) == 0 ||
      TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) == 0 || width == 0 || height == 0) {
    problem = "the TIFF picture gives no width or height";
    return std::nullopt;
  }
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &channels);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);

  const bool raw = channels == 1 && (bits == 8 || bits == 16) &&
                   (photometric == PHOTOMETRIC_MINISBLACK || photometric == kPhotometricCfa);
  const bool colour = channels == 3 && bits == 8 && photometric == PHOTOMETRIC_RGB && planar == PLANARCONFIG_CONTIG;
  if (format != SAMPLEFORMAT_UINT || (!raw && !colour)) {
    problem = Format("the TIFF picture has %u channel(s) of %u-bit %s samples, photometric %u; analysed are one "
                     "channel of 8 or 16 bits (greyscale or CFA) and 8-bit RGB",
                     static_cast<unsigned>(channels), static_cast<unsigned>(bits),
                     format == SAMPLEFORMAT_UINT ? "unsigned" : "other", static_cast<unsigned>(photometric));
    return std::nullopt;
  }
  if (orientation != ORIENTATION_TOPLEFT) {
    problem = Format("the TIFF picture's orientation is %u; only rows top first, columns left first (1) are taken",
                     static_cast<unsigned>(orientation));
    return std::nullopt;
  }
  const std::uint64_t dataBytes = std::uint64_t{width} * height * channels * (bits / 8);
  if (dataBytes / kMostCompression > fileSize) {
    problem = Format("a picture of %ux%u cannot be held in a file of %llu bytes", width, height,
                     static_cast<unsigned long long>(fileSize));
    return std::nullopt;
  }

  Region region{0, 0, width, height};
  if (dng) {
    std::uint32_t* area = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_ACTIVEAREA, &area) != 0 && area != nullptr) {
      // Top, left, bottom, right.
      if (area[0] >= area[2] || area[1] >= area[3] || area[2] > height || area[3] > width) {
        problem = Format("the DNG's active area %u,%u,%u,%u lies outside its %ux%u picture", area[0], area[1],
                         area[2], area[3], width, height);
        return std::nullopt;
      }
      region = Region{area[1], area[0], area[3] - area[1], area[2] - area[0]};
    }
  }
  SENSOR_PRECONDITION(region.Width > 0 && region.Height > 0 && std::uint64_t{region.Left} + region.Width <= width &&
                      std::uint64_t{region.Top} + region.Height <= height);
  if (raw && photometric == kPhotometricCfa && !CheckCfaPhase(tiff.get(), region, problem)) return std::nullopt;
  if (region.Width > INT32_MAX / 4 || region.Height > INT32_MAX) {
    problem = Format("a picture of %ux%u cannot be analysed", region.Width, region.Height);
    return std::nullopt;
  }
  if (colour) return ReadColour(tiff.get(), region, problem, libraryMessage);
  const SampleWords words = WordsOf(tiff.get(), dng, bits, mode);
  bool outOfRange = false;
  std::optional<Picture> picture =
      ReadRaw(tiff.get(), region, bits, mode, words, problem, libraryMessage, outOfRange);
  // A DNG whose white level fills its words holds its samples in their top
  // bits; read so when they do not fit the sensor depth as they stand (a file
  // whose samples fit is read as it always was).
  if (!picture && outOfRange && words.Declared && !words.TopBits && words.Bits == bits && bits > mode.SensorBpp) {
    problem.clear();
    SampleWords top = words;
    top.TopBits = true;
    picture = ReadRaw(tiff.get(), region, bits, mode, top, problem, libraryMessage, outOfRange);
  }
  if (picture && dng) picture->Dng = LevelsOf(tiff.get(), bits);
  return picture;
}

}  // namespace sensor::frontend
