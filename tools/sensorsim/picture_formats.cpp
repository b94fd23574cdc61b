#include "picture_formats.h"

#include <strings.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "dng_file.h"
#include "frontend/common/file_writer.h"

namespace sensor::sim {
namespace {

std::uint64_t PackedRowBytes(PictureFormat format, std::int32_t width) {
  const std::uint64_t bits = format == PictureFormat::Raw10 ? 10 : format == PictureFormat::Raw12 ? 12 : 16;
  return (static_cast<std::uint64_t>(width) * bits + 7) / 8;
}

// One row in MIPI packing: groups of four (raw10) or two (raw12) high bytes
// and then a byte of their low bits, first sample lowest; a last, partial
// group the same with fewer samples.
void PackRow(PictureFormat format, const std::uint16_t* samples, std::int32_t width, unsigned char* out) {
  if (format == PictureFormat::Raw16) {
    for (std::int32_t x = 0; x < width; ++x) {
      out[2 * x] = static_cast<unsigned char>(samples[x]);
      out[2 * x + 1] = static_cast<unsigned char>(samples[x] >> 8);
    }
    return;
  }
  const int lowBits = format == PictureFormat::Raw10 ? 2 : 4;
  const std::int32_t perGroup = format == PictureFormat::Raw10 ? 4 : 2;
  for (std::int32_t x = 0; x < width; x += perGroup) {
    const std::int32_t n = std::min(perGroup, width - x);
    unsigned char low = 0;
    for (std::int32_t k = 0; k < n; ++k) {
      *out++ = static_cast<unsigned char>(samples[x + k] >> lowBits);
      low = static_cast<unsigned char>(low | (samples[x + k] & ((1 << lowBits) - 1)) << (lowBits * k));
    }
    *out++ = low;
  }
}

std::vector<unsigned char> PgmBytes(const std::vector<std::uint16_t>& samples, const SimulationSettings& s) {
  const unsigned maxval = (1u << s.SensorBpp) - 1;
  const std::string header = "P5\n" + std::to_string(s.Width) + " " + std::to_string(s.Height) + "\n" +
                             std::to_string(maxval) + "\n";
  std::vector<unsigned char> bytes(header.begin(), header.end());
  for (const std::uint16_t v : samples) {
    if (maxval > 255) bytes.push_back(static_cast<unsigned char>(v >> 8));
    bytes.push_back(static_cast<unsigned char>(v));
  }
  return bytes;
}

std::vector<unsigned char> PackedBytes(PictureFormat format, const std::vector<std::uint16_t>& samples,
                                       const SimulationSettings& s, std::uint64_t stride) {
  const std::uint64_t rowStride = stride != 0 ? stride : PackedRowBytes(format, s.Width);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(rowStride * static_cast<std::uint64_t>(s.Height)), 0);
  for (std::int32_t y = 0; y < s.Height; ++y) {
    PackRow(format, samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.Width), s.Width,
            bytes.data() + static_cast<std::size_t>(y) * rowStride);
  }
  return bytes;
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

bool WriteTiffFile(const std::string& path, const SimulatedImage& image, const SimulationSettings& s) {
  std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "w"));
  if (!tiff) return false;
  TIFF* t = tiff.get();
  const bool bayer = s.BayerMode;
  const std::uint16_t bits = !bayer || s.SensorBpp == 8 ? 8 : 16;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(s.Width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(s.Height));
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(bayer ? 1 : 3));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(16));
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, bayer ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  std::vector<unsigned char> row(static_cast<std::size_t>(s.Width) * (bayer ? bits / 8 : 3));
  const std::vector<std::uint16_t> samples = bayer ? RawSamples(image, s) : std::vector<std::uint16_t>();
  const int bytesPerPixel = s.BitCount / 8;
  for (std::int32_t y = 0; y < s.Height; ++y) {
    const std::int32_t stored = s.TopDown ? y : s.Height - 1 - y;
    const unsigned char* pixels = image.Pixels.data() + static_cast<std::size_t>(stored) * image.Stride;
    for (std::int32_t x = 0; x < s.Width; ++x) {
      if (!bayer) {
        const unsigned char* p = pixels + static_cast<std::size_t>(x) * bytesPerPixel;
        row[3 * x] = p[2];
        row[3 * x + 1] = p[1];
        row[3 * x + 2] = p[0];
      } else {
        const std::uint16_t v = samples[static_cast<std::size_t>(y) * s.Width + x];
        if (bits == 8) {
          row[x] = static_cast<unsigned char>(v);
        } else {
          std::memcpy(&row[2 * x], &v, 2);  // host order, as libtiff expects
        }
      }
    }
    if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) != 1) return false;
  }
  return true;
}

// Every format but TIFF is written whole, through the front end's file writer.
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  return frontend::WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

std::optional<PictureFormat> ParsePictureFormat(const std::string& name) {
  static const std::pair<const char*, PictureFormat> kNames[] = {
      {"bmp", PictureFormat::Bitmap}, {"pgm", PictureFormat::Pgm},     {"tiff", PictureFormat::Tiff},
      {"dng", PictureFormat::Dng},    {"raw10", PictureFormat::Raw10}, {"raw12", PictureFormat::Raw12},
      {"raw16", PictureFormat::Raw16}};
  for (const auto& [text, format] : kNames) {
    if (strcasecmp(name.c_str(), text) == 0) return format;
  }
  return std::nullopt;
}

std::string CheckFormat(PictureFormat format, const SimulationSettings& s, std::uint64_t stride) {
  if (format == PictureFormat::Bitmap || (format == PictureFormat::Tiff && !s.BayerMode)) return {};
  if (!s.BayerMode) return "raw formats hold Bayer pictures only (-BayerMode)";
  if (format == PictureFormat::Raw10 && s.SensorBpp > 10) return "raw10 holds samples of up to 10 bits";
  const bool packed =
      format == PictureFormat::Raw10 || format == PictureFormat::Raw12 || format == PictureFormat::Raw16;
  if (stride != 0 && (!packed || stride < PackedRowBytes(format, s.Width))) {
    return "-Stride is for packed raw frames and not below the packed row length";
  }
  return {};
}

std::vector<std::uint16_t> RawSamples(const SimulatedImage& image, const SimulationSettings& s) {
  std::vector<std::uint16_t> samples(static_cast<std::size_t>(s.Width) * static_cast<std::size_t>(s.Height));
  const int bytesPerPixel = s.BitCount / 8;
  for (std::int32_t y = 0; y < s.Height; ++y) {
    const std::int32_t stored = s.TopDown ? y : s.Height - 1 - y;
    for (std::int32_t x = 0; x < s.Width; ++x) {
      const unsigned char* p =
          image.Pixels.data() + static_cast<std::size_t>(stored) * image.Stride + static_cast<std::size_t>(x) * bytesPerPixel;
      const int v = s.SensorBpp == 8 ? p[0] : s.SensorBpp == 10 ? (p[0] << 2) | (p[1] & 3) : (p[0] << 4) | (p[1] & 15);
      samples[static_cast<std::size_t>(y) * s.Width + x] = static_cast<std::uint16_t>(v);
    }
  }
  return samples;
}

bool WritePicture(const std::string& path, PictureFormat format, const SimulatedImage& image,
                  const SimulationSettings& s, std::uint64_t stride) {
  switch (format) {
    case PictureFormat::Bitmap:
      return WriteBytes(path, BitmapFileBytes(image));
    case PictureFormat::Pgm:
      return WriteBytes(path, PgmBytes(RawSamples(image, s), s));
    case PictureFormat::Tiff:
      return WriteTiffFile(path, image, s);
    case PictureFormat::Dng:
      return WriteDngFile(path, RawSamples(image, s), s);
    case PictureFormat::Raw10:
    case PictureFormat::Raw12:
    case PictureFormat::Raw16:
      return WriteBytes(path, PackedBytes(format, RawSamples(image, s), s, stride));
  }
  return false;
}

}  // namespace sensor::sim
