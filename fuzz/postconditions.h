// What must hold after every run of a library fuzz target, beyond what the
// sanitizers catch: levels inside the range of the samples they average, table
// entries inside the picture, counts not negative, and a defect map of black and
// white pixels only. A violated postcondition prints what failed and aborts: a
// finding for the fuzzer, a failed test for the corpus replay.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/image_binding.h"
#include "sensordefect/ResultCodes.h"

namespace sensor::fuzz {

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "postcondition violated: %s\n", what);
  std::abort();
}

// The largest sample of a run: a colour byte, or a Bayer sample at the test
// depth (byte 0 alone at 8 bits, else byte 0 shifted by 2 or 4 with two more bits).
inline double LargestSample(bool bayerMode, std::int32_t sensorBpp, std::int32_t testBpp) {
  if (!bayerMode || testBpp == 8) return 255.0;
  return sensorBpp == 12 ? double{(255 << 4) | 3} : double{(255 << 2) | 3};
}

// The five levels a library hands out (R, G, B, G1, G2).
struct LevelReading {
  double Values[5] = {-1, -1, -1, -1, -1};
  bool operator==(const LevelReading&) const = default;
};

template <class Library>
LevelReading ReadLevels(Library& library) {
  LevelReading reading;
  double* v = reading.Values;
  Require(library.get_Ostrel(&v[0], &v[1], &v[2], &v[3], &v[4]) == SensorDefectDetectionClass::S_OK,
          "get_Ostrel of an open library succeeds");
  return reading;
}

// The five levels of a library after a successful run: each a mean of samples,
// so from 0 to the largest sample; colour runs have no G1 and G2. A library
// whose runs may end before they reach the levels (the chip library's colour
// search without a cluster count) passes what it held before the run: such a
// run leaves them as they were, whatever picture they came from.
template <class Library>
void RequireLevelsInRange(Library& library, bool bayerMode, double largest,
                          const LevelReading* before = nullptr) {
  const LevelReading after = ReadLevels(library);
  if (before != nullptr && after == *before) return;
  for (const double level : after.Values) {
    Require(std::isfinite(level) && level >= 0.0 && level <= largest,
            "every level lies inside the sample range");
  }
  if (!bayerMode) {
    Require(after.Values[3] == 0.0 && after.Values[4] == 0.0, "colour runs have no G1 and G2");
  }
}

// A table entry is empty (-1, -1) or a pixel of the picture.
inline void RequireEntryInPicture(const ImageBinding& picture, std::int32_t x, std::int32_t y) {
  Require((x == -1 && y == -1) || picture.Bounds().Contains(x, y),
          "every table entry is empty or inside the picture");
}

inline void RequireNotNegative(std::int64_t count) { Require(count >= 0, "counts are not negative"); }

// Every pixel of the painted picture is black or white in its three colour bytes.
inline void RequireBlackOrWhite(const ImageBinding& picture) {
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    for (std::int32_t x = 0; x < picture.Width; ++x) {
      const std::uint8_t* p = picture.PixelAt(x, y);
      Require(p[0] == p[1] && p[1] == p[2] && (p[0] == 0 || p[0] == 255),
              "the defect map is black or white only");
    }
  }
}

}  // namespace sensor::fuzz
