// How a pixel's deviation becomes a score, and when a score makes a candidate.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace sensor::waferon {

// The module's copies of the four threshold arrays, by colour index.
struct ThresholdTables {
  std::array<double, 5> CenterCluster{};
  std::array<double, 5> CenterPixel{};
  std::array<double, 5> SideCluster{};
  std::array<double, 5> SidePixel{};
};

// Percent rule: with the percent flag set and a reference above 1.0 the score
// is the deviation in percent of the reference, else the deviation itself.
inline double PercentScore(double ref, double value, bool percent) {
  const double d = std::fabs(ref - value);
  if (percent && ref > 1.0) return d / ref * 100.0;
  return d;
}

// A score makes a candidate when it is strictly greater than at least one of
// the four thresholds of its colour, whatever the pixel's zone. That is the
// same as being strictly greater than the smallest of them that is a number;
// with none, nothing passes.
inline double CandidateFloor(const ThresholdTables& t, int colour) {
  double floor = std::numeric_limits<double>::infinity();
  const std::size_t c = static_cast<std::size_t>(colour);
  for (double v : {t.CenterCluster[c], t.CenterPixel[c], t.SideCluster[c], t.SidePixel[c]}) {
    if (v < floor) floor = v;
  }
  return floor;
}

// Colour mode: the pixel's score is the largest channel score, ties going to
// the earlier channel in the order red, green, blue.
struct ChannelPick {
  double Score;
  std::int32_t Colour;  // 0 red, 1 green, 2 blue
};

inline ChannelPick PickChannel(double red, double green, double blue) {
  ChannelPick pick{red, 0};
  if (green > pick.Score) pick = {green, 1};
  if (blue > pick.Score) pick = {blue, 2};
  return pick;
}

}  // namespace sensor::waferon
