#include "dng_file.h"

#include <tiffio.h>

#include <cstring>
#include <memory>

namespace sensor::sim {
namespace {

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

constexpr std::uint16_t kPhotometricCfa = 32803;
constexpr const char* kCameraName = "sensorsim";

void SetDngTags(TIFF* t, const SimulationSettings& s, std::uint16_t bits) {
  static const std::uint8_t kVersion[4] = {1, 4, 0, 0};
  static const std::uint8_t kBackwardVersion[4] = {1, 1, 0, 0};
  static const std::uint16_t kRepeat[2] = {2, 2};
  static const std::uint8_t kGreenRedBlueGreen[4] = {1, 0, 2, 1};
  static const std::uint8_t kPlaneColours[3] = {0, 1, 2};
  static const std::uint16_t kBlackRepeat[2] = {1, 1};
  static const float kBlack[1] = {0.0f};
  static const float kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  static const float kNeutral[3] = {1, 1, 1};
  const std::uint32_t white[1] = {(1u << s.SensorBpp) - 1};

  TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(s.Width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(s.Height));
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(1));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, kPhotometricCfa);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(16));
  TIFFSetField(t, TIFFTAG_MAKE, kCameraName);
  TIFFSetField(t, TIFFTAG_MODEL, kCameraName);
  TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, kCameraName);
  TIFFSetField(t, TIFFTAG_DNGVERSION, kVersion);
  TIFFSetField(t, TIFFTAG_DNGBACKWARDVERSION, kBackwardVersion);
  TIFFSetField(t, TIFFTAG_CFAREPEATPATTERNDIM, kRepeat);
  TIFFSetField(t, TIFFTAG_CFAPATTERN, 4, kGreenRedBlueGreen);
  TIFFSetField(t, TIFFTAG_CFAPLANECOLOR, 3, kPlaneColours);
  TIFFSetField(t, TIFFTAG_CFALAYOUT, static_cast<std::uint16_t>(1));
  TIFFSetField(t, TIFFTAG_BLACKLEVELREPEATDIM, kBlackRepeat);
  TIFFSetField(t, TIFFTAG_BLACKLEVEL, 1, kBlack);
  TIFFSetField(t, TIFFTAG_WHITELEVEL, 1, white);
  TIFFSetField(t, TIFFTAG_COLORMATRIX1, 9, kIdentity);
  TIFFSetField(t, TIFFTAG_CALIBRATIONILLUMINANT1, static_cast<std::uint16_t>(21));  // D65
  TIFFSetField(t, TIFFTAG_ASSHOTNEUTRAL, 3, kNeutral);
}

}  // namespace

bool WriteDngFile(const std::string& path, const std::vector<std::uint16_t>& samples, const SimulationSettings& s) {
  std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "w"));
  if (!tiff) return false;
  const std::uint16_t bits = s.SensorBpp == 8 ? 8 : 16;
  SetDngTags(tiff.get(), s, bits);
  std::vector<unsigned char> row(static_cast<std::size_t>(s.Width) * (bits / 8));
  for (std::int32_t y = 0; y < s.Height; ++y) {
    const std::uint16_t* from = samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.Width);
    for (std::int32_t x = 0; x < s.Width; ++x) {
      if (bits == 8) {
        row[static_cast<std::size_t>(x)] = static_cast<unsigned char>(from[x]);
      } else {
        std::memcpy(&row[2 * static_cast<std::size_t>(x)], &from[x], 2);  // host order, as libtiff expects
      }
    }
    if (TIFFWriteScanline(tiff.get(), row.data(), static_cast<std::uint32_t>(y), 0) != 1) return false;
  }
  return TIFFFlush(tiff.get()) == 1;
}

}  // namespace sensor::sim
