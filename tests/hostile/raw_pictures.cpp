#include "raw_pictures.h"

#include <tiffio.h>

#include <stdexcept>

namespace sensor::test {

sim::SimulationSettings PlantedBayer(std::int32_t width, std::int32_t height, int sensorBpp) {
  sim::SimulationSettings s;
  s.Width = width;
  s.Height = height;
  s.BitCount = 32;
  s.BayerMode = true;
  s.SensorBpp = sensorBpp;
  s.Noise = 6.0;
  s.Seed = 1217;
  s.HotPixels = 4;
  s.DarkPixels = 2;
  s.Clusters = 2;
  s.ClusterPixels = 3;
  return s;
}

void WriteDng(const std::string& path, std::uint32_t width, std::uint32_t height,
              const std::vector<std::uint16_t>& samples, const std::array<std::uint8_t, 4>& pattern,
              std::optional<std::array<std::uint32_t, 4>> activeArea, const DngExtras& extras) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) throw std::runtime_error("cannot write " + path);
  static const std::uint8_t kVersion[4] = {1, 4, 0, 0};
  static const std::uint16_t kRepeat[2] = {2, 2};
  TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, 32803);
  TIFFSetField(t, TIFFTAG_DNGVERSION, kVersion);
  TIFFSetField(t, TIFFTAG_CFAREPEATPATTERNDIM, kRepeat);
  TIFFSetField(t, TIFFTAG_CFAPATTERN, 4, pattern.data());
  if (activeArea) TIFFSetField(t, TIFFTAG_ACTIVEAREA, activeArea->data());
  if (extras.WhiteLevel) TIFFSetField(t, TIFFTAG_WHITELEVEL, 1, &*extras.WhiteLevel);
  if (!extras.BlackLevel.empty()) {
    TIFFSetField(t, TIFFTAG_BLACKLEVEL, static_cast<std::uint16_t>(extras.BlackLevel.size()), extras.BlackLevel.data());
  }
  if (extras.Deflate) {
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16u);
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    std::vector<std::uint16_t> row(samples.begin() + y * width, samples.begin() + (y + 1) * width);
    TIFFWriteScanline(t, row.data(), y, 0);
  }
  TIFFClose(t);
}

void WriteTiledTiff(const std::string& path, std::uint32_t width, std::uint32_t height,
                    const std::vector<std::uint16_t>& samples) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) throw std::runtime_error("cannot write " + path);
  constexpr std::uint32_t kTile = 16;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(t, TIFFTAG_TILEWIDTH, kTile);
  TIFFSetField(t, TIFFTAG_TILELENGTH, kTile);
  std::vector<std::uint16_t> tile(kTile * kTile);
  for (std::uint32_t ty = 0; ty < height; ty += kTile) {
    for (std::uint32_t tx = 0; tx < width; tx += kTile) {
      for (std::uint32_t y = 0; y < kTile; ++y)
        for (std::uint32_t x = 0; x < kTile; ++x)
          tile[y * kTile + x] = ty + y < height && tx + x < width ? samples[(ty + y) * width + tx + x] : 0xFFFF;
      TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
    }
  }
  TIFFClose(t);
}

}  // namespace sensor::test
