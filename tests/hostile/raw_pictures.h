// Raw pictures for the hostile tests: a planted Bayer picture in every format
// the programs read, and DNG files with a CFA pattern and active area of the
// test's choosing, written with libtiff's DNG tags.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture_formats.h"

namespace sensor::test {

// A Bayer picture of hot, dark and clustered pixels on a noisy field, stored
// as a 32-bit bitmap with the bottom row first (the storage a raw frame loads into).
sim::SimulationSettings PlantedBayer(std::int32_t width, std::int32_t height, int sensorBpp);

// What else a test DNG states: its white and black levels, and whether its
// strips are deflated (as sensorsim's first DNG files were).
struct DngExtras {
  std::optional<std::uint32_t> WhiteLevel;
  std::vector<float> BlackLevel;  // none when empty
  bool Deflate = false;
};

// A one-channel 16-bit DNG of `samples` (top row first) with the CFA pattern
// `pattern` (0 red, 1 green, 2 blue, row by row) and, when given, the active
// area top, left, bottom, right.
void WriteDng(const std::string& path, std::uint32_t width, std::uint32_t height,
              const std::vector<std::uint16_t>& samples, const std::array<std::uint8_t, 4>& pattern,
              std::optional<std::array<std::uint32_t, 4>> activeArea = std::nullopt, const DngExtras& extras = {});

// A one-channel 16-bit greyscale TIFF of `samples` in tiles of 16 x 16,
// deflated; the tiles at the right and bottom edges reach past the picture.
void WriteTiledTiff(const std::string& path, std::uint32_t width, std::uint32_t height,
                    const std::vector<std::uint16_t>& samples);

}  // namespace sensor::test
