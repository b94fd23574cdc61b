// Generation of sensor-like test pictures: a flat field with seeded noise, in
// colour mode (blue, green, red bytes) or Bayer mode (one raw sample per pixel
// packed into the first two bytes as the libraries read it back), with planted
// defects whose kind and place are listed as ground truth.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sensor::sim {

enum class DefectKind { HotPixel, DarkPixel, Cluster, Blemish };

const char* DefectKindName(DefectKind kind);

// One planted defect. Size is the pixel count of a cluster or the radius of a
// blemish (1 for single pixels); Value is the sample or byte value of a planted
// pixel, or the depth of a blemish in percent (positive darker, negative brighter).
struct PlantedDefect {
  DefectKind Kind = DefectKind::HotPixel;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Size = 1;
  double Value = 0.0;
};

struct SimulationSettings {
  std::int32_t Width = 640;
  std::int32_t Height = 480;
  int BitCount = 24;        // 24 or 32
  bool TopDown = false;     // store the top row first (negative height)
  bool BayerMode = false;
  // Colour mode: mean red, green, blue bytes.
  std::array<double, 3> ColourMeans{120.0, 140.0, 90.0};
  // Bayer mode: mean sample of the R, G1, G2 and B positions (positions counted
  // from the picture's top-left pixel: even row even column G1, even row odd
  // column R, odd row even column B, odd row odd column G2).
  std::array<double, 4> BayerMeans{600.0, 800.0, 800.0, 500.0};
  int SensorBpp = 10;       // 8, 10 or 12: the sample packing
  double Noise = 2.0;       // standard deviation of the Gaussian noise
  std::uint32_t Seed = 1;

  int HotPixels = 0;
  int DarkPixels = 0;
  double PixelAmplitude = 0.0;  // 0: full scale for hot pixels, zero for dark ones
  int Clusters = 0;
  int ClusterPixels = 3;
  int Blemishes = 0;
  double BlemishRadius = 12.0;
  double BlemishDepth = 10.0;   // percent; negative: brighter
};

struct SimulatedImage {
  std::vector<unsigned char> Header;  // 40-byte information header
  std::vector<unsigned char> Pixels;  // Height x stride bytes, as stored in a file
  std::vector<PlantedDefect> Truth;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint32_t Stride = 0;
};

// Checks the settings; returns an empty text when they can be simulated, else
// what is wrong with them.
std::string ValidateSettings(const SimulationSettings& settings);

// Makes the picture (settings must pass ValidateSettings).
SimulatedImage Simulate(const SimulationSettings& settings);

// The whole bitmap file (14-byte file header, information header, pixels).
std::vector<unsigned char> BitmapFileBytes(const SimulatedImage& image);

// "kind,x,y,size,value" and one line per planted defect.
std::string TruthCsv(const SimulatedImage& image);

}  // namespace sensor::sim
