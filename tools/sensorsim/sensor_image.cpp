#include "sensor_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "common/frontend_interface.h"

namespace sensor::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Seeded random numbers whose sequence depends only on the seed: the Mersenne
// twister is fully specified, and the conversions below are our own.
class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  double Uniform() { return (static_cast<double>(engine_()) + 0.5) / 4294967296.0; }
  std::int32_t Below(std::int32_t n) {
    return n <= 0 ? 0 : static_cast<std::int32_t>(engine_() % static_cast<std::uint32_t>(n));
  }
  double Gaussian() {  // Box-Muller
    const double u1 = Uniform(), u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
  }

 private:
  std::mt19937 engine_;
};

// Where a picture pixel lives in the stored rows.
struct Layout {
  std::int32_t Width, Height, BytesPerPixel;
  std::uint32_t Stride;
  bool TopDown;
  std::size_t Offset(std::int32_t x, std::int32_t y) const {
    const std::int32_t row = TopDown ? y : Height - 1 - y;
    return static_cast<std::size_t>(row) * Stride + static_cast<std::size_t>(x) * BytesPerPixel;
  }
};

// Bayer position of a picture pixel, as an index into SimulationSettings::BayerMeans
// (R, G1, G2, B).
int BayerSlot(std::int32_t x, std::int32_t y) {
  static constexpr int kSlots[2][2] = {{1, 0}, {3, 2}};
  return kSlots[y & 1][x & 1];
}

class Canvas {
 public:
  Canvas(const SimulationSettings& s, SimulatedImage& image, const Layout& layout)
      : s_(s), image_(image), layout_(layout), maxSample_((1 << s.SensorBpp) - 1) {}

  int MaxValue() const { return s_.BayerMode ? maxSample_ : 255; }

  // The stored value of a pixel: the full sample in Bayer mode (as the sensor
  // packs it), the channel bytes in colour mode.
  int Sample(std::int32_t x, std::int32_t y) const {
    const unsigned char* p = &image_.Pixels[layout_.Offset(x, y)];
    if (s_.SensorBpp == 8) return p[0];
    return s_.SensorBpp == 10 ? (p[0] << 2) | (p[1] & 3) : (p[0] << 4) | (p[1] & 15);
  }
  void SetSample(std::int32_t x, std::int32_t y, int v) {
    v = std::clamp(v, 0, maxSample_);
    unsigned char* p = &image_.Pixels[layout_.Offset(x, y)];
    if (s_.SensorBpp == 8) {
      p[0] = static_cast<unsigned char>(v);
      p[1] = 0;
    } else if (s_.SensorBpp == 10) {
      p[0] = static_cast<unsigned char>(v >> 2);
      p[1] = static_cast<unsigned char>(v & 3);
    } else {
      p[0] = static_cast<unsigned char>(v >> 4);
      p[1] = static_cast<unsigned char>(v & 15);
    }
  }
  // The sample as the libraries read it back (their low part keeps two bits).
  int ReadBack(std::int32_t x, std::int32_t y) const {
    const unsigned char* p = &image_.Pixels[layout_.Offset(x, y)];
    if (s_.SensorBpp == 8) return p[0];
    return (p[0] << (s_.SensorBpp == 10 ? 2 : 4)) | (p[1] & 3);
  }
  unsigned char* Bytes(std::int32_t x, std::int32_t y) { return &image_.Pixels[layout_.Offset(x, y)]; }

  // Sets every channel (colour) or the sample (Bayer) of one pixel.
  void SetLevel(std::int32_t x, std::int32_t y, int v) {
    if (s_.BayerMode) {
      SetSample(x, y, v);
    } else {
      unsigned char* p = Bytes(x, y);
      for (int k = 0; k < 3; ++k) p[k] = static_cast<unsigned char>(std::clamp(v, 0, 255));
    }
  }
  int Level(std::int32_t x, std::int32_t y) const {
    if (s_.BayerMode) return ReadBack(x, y);
    const unsigned char* p = &image_.Pixels[layout_.Offset(x, y)];
    return (p[0] + p[1] + p[2]) / 3;
  }

 private:
  const SimulationSettings& s_;
  SimulatedImage& image_;
  Layout layout_;
  int maxSample_;
};

void FillField(const SimulationSettings& s, Canvas& canvas, Random& random) {
  for (std::int32_t y = 0; y < s.Height; ++y) {
    for (std::int32_t x = 0; x < s.Width; ++x) {
      if (s.BayerMode) {
        const double v = s.BayerMeans[BayerSlot(x, y)] + s.Noise * random.Gaussian();
        canvas.SetSample(x, y, static_cast<int>(std::lround(v)));
      } else {
        unsigned char* p = canvas.Bytes(x, y);
        for (int k = 0; k < 3; ++k) {  // blue, green, red bytes
          const double v = s.ColourMeans[2 - k] + s.Noise * random.Gaussian();
          p[k] = static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
        }
      }
    }
  }
}

// Soft blob: the level is scaled by 1 - depth x profile, with a raised-cosine
// profile that is 1 at the centre and 0 at the radius.
void PlantBlemish(const SimulationSettings& s, Canvas& canvas, std::int32_t cx, std::int32_t cy) {
  const double r = s.BlemishRadius;
  const std::int32_t reach = static_cast<std::int32_t>(std::ceil(r));
  for (std::int32_t y = std::max(0, cy - reach); y <= std::min(s.Height - 1, cy + reach); ++y) {
    for (std::int32_t x = std::max(0, cx - reach); x <= std::min(s.Width - 1, cx + reach); ++x) {
      const double d = std::hypot(x - cx, y - cy) / r;
      if (d >= 1.0) continue;
      const double factor = 1.0 - s.BlemishDepth / 100.0 * 0.5 * (1.0 + std::cos(kPi * d));
      if (s.BayerMode) {
        canvas.SetSample(x, y, static_cast<int>(std::lround(canvas.Sample(x, y) * factor)));
      } else {
        unsigned char* p = canvas.Bytes(x, y);
        for (int k = 0; k < 3; ++k)
          p[k] = static_cast<unsigned char>(std::clamp(std::lround(p[k] * factor), 0L, 255L));
      }
    }
  }
}

// A random position at least `margin` pixels from every edge.
void Place(const SimulationSettings& s, Random& random, std::int32_t margin, std::int32_t& x,
           std::int32_t& y) {
  margin = std::min({margin, (s.Width - 1) / 2, (s.Height - 1) / 2});
  x = margin + random.Below(s.Width - 2 * margin);
  y = margin + random.Below(s.Height - 2 * margin);
}

}  // namespace

const char* DefectKindName(DefectKind kind) {
  switch (kind) {
    case DefectKind::HotPixel: return "hot";
    case DefectKind::DarkPixel: return "dark";
    case DefectKind::Cluster: return "cluster";
    case DefectKind::Blemish: return "blemish";
  }
  return "?";
}

std::string ValidateSettings(const SimulationSettings& s) {
  if (s.Width <= 0 || s.Height <= 0) return "width and height must be positive";
  if (static_cast<std::int64_t>(s.Width) * s.Height > (std::int64_t{1} << 28))
    return "the picture may hold at most 268435456 pixels";
  if (s.BitCount != 24 && s.BitCount != 32) return "bits per pixel must be 24 or 32";
  if (s.SensorBpp != 8 && s.SensorBpp != 10 && s.SensorBpp != 12)
    return "sensor bits must be 8, 10 or 12";
  if (s.Noise < 0.0 || !std::isfinite(s.Noise)) return "noise must be a finite value of 0 or more";
  if (s.HotPixels < 0 || s.DarkPixels < 0 || s.Clusters < 0 || s.Blemishes < 0)
    return "defect counts must not be negative";
  // More defects than pixels mean nothing, and every one is listed in the truth.
  const std::int64_t pixels = static_cast<std::int64_t>(s.Width) * s.Height;
  if (std::int64_t{s.HotPixels} + s.DarkPixels > pixels || s.Clusters > pixels ||
      s.Blemishes > pixels)
    return "defect counts must not exceed the number of pixels";
  if (!(std::abs(s.PixelAmplitude) <= 65535.0)) return "amplitude must be -65535 to 65535";
  if (s.ClusterPixels < 1 || s.ClusterPixels > 65536) return "cluster size must be 1 to 65536";
  if (!(s.BlemishRadius > 0.0) || s.BlemishRadius > 10000.0) return "blemish radius must be above 0";
  if (!std::isfinite(s.BlemishDepth) || s.BlemishDepth > 100.0 || s.BlemishDepth < -1000.0)
    return "blemish depth must be -1000 to 100 percent";
  return std::string();
}

SimulatedImage Simulate(const SimulationSettings& s) {
  SimulatedImage image;
  image.Width = s.Width;
  image.Height = s.Height;
  image.Stride = static_cast<std::uint32_t>(
      bitmap::RowStride(static_cast<std::uint32_t>(s.BitCount), static_cast<std::uint64_t>(s.Width)));
  bitmap::InfoFields fields;
  fields.Width = s.Width;
  fields.Height = s.TopDown ? -s.Height : s.Height;
  fields.BitCount = static_cast<std::uint16_t>(s.BitCount);
  fields.SizeImage = image.Stride * static_cast<std::uint32_t>(s.Height);
  const auto info = bitmap::InfoHeader(fields);
  image.Header.assign(info.begin(), info.end());
  image.Pixels.assign(static_cast<std::size_t>(image.Stride) * static_cast<std::size_t>(s.Height), 0);

  const Layout layout{s.Width, s.Height, s.BitCount / 8, image.Stride, s.TopDown};
  Canvas canvas(s, image, layout);
  Random random(s.Seed);
  FillField(s, canvas, random);

  for (int i = 0; i < s.Blemishes; ++i) {
    std::int32_t x, y;
    Place(s, random, static_cast<std::int32_t>(std::ceil(s.BlemishRadius)) + 2, x, y);
    PlantBlemish(s, canvas, x, y);
    image.Truth.push_back({DefectKind::Blemish, x, y,
                           static_cast<std::int32_t>(std::lround(s.BlemishRadius)), s.BlemishDepth});
  }

  const int full = canvas.MaxValue();
  const int step = s.BayerMode ? 2 : 1;
  const int amplitude = static_cast<int>(s.PixelAmplitude);
  for (int i = 0; i < s.HotPixels + s.DarkPixels; ++i) {
    const bool isHot = i < s.HotPixels;
    std::int32_t x, y;
    Place(s, random, 2, x, y);
    const int level = canvas.Level(x, y);
    const int target = isHot ? (amplitude > 0 ? level + amplitude : full)
                             : (amplitude > 0 ? level - amplitude : 0);
    canvas.SetLevel(x, y, std::clamp(target, 0, full));
    image.Truth.push_back({isHot ? DefectKind::HotPixel : DefectKind::DarkPixel, x, y, 1,
                           static_cast<double>(canvas.Level(x, y))});
  }

  // Clusters: a compact square of sites of one colour (every second pixel in
  // Bayer mode), filled row by row until it holds the chosen number of pixels.
  const std::int32_t side =
      static_cast<std::int32_t>(std::ceil(std::sqrt(static_cast<double>(s.ClusterPixels))));
  for (int i = 0; i < s.Clusters; ++i) {
    std::int32_t x, y;
    Place(s, random, 2 + step * side, x, y);
    for (int k = 0; k < s.ClusterPixels; ++k) {
      const std::int32_t px = x + step * (k % side), py = y + step * (k / side);
      if (px < s.Width && py < s.Height) canvas.SetLevel(px, py, full);
    }
    image.Truth.push_back({DefectKind::Cluster, x, y, s.ClusterPixels, static_cast<double>(full)});
  }
  return image;
}

std::vector<unsigned char> BitmapFileBytes(const SimulatedImage& image) {
  std::vector<unsigned char> file(14 + image.Header.size() + image.Pixels.size(), 0);
  bitmap::WriteFileHeader(file.data(), static_cast<std::uint32_t>(file.size()),
                          static_cast<std::uint32_t>(14 + image.Header.size()));
  std::copy(image.Header.begin(), image.Header.end(), file.begin() + 14);
  std::copy(image.Pixels.begin(), image.Pixels.end(),
            file.begin() + 14 + static_cast<std::ptrdiff_t>(image.Header.size()));
  return file;
}

std::string TruthCsv(const SimulatedImage& image) {
  std::string text = "kind,x,y,size,value\n";
  char line[160];
  for (const PlantedDefect& d : image.Truth) {
    std::snprintf(line, sizeof line, "%s,%d,%d,%d,%.2f\n", DefectKindName(d.Kind), d.X, d.Y,
                  d.Size, d.Value);
    text += line;
  }
  return text;
}

}  // namespace sensor::sim
