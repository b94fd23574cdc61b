// The file formats sensorsim writes a picture in: the station's bitmap, and
// for Bayer pictures the raw formats the test programs read (a binary
// greymap, TIFF, DNG, packed raw10/raw12 and raw16 frames); in colour mode
// TIFF holds 8-bit RGB. Raw samples are the sensor-depth samples of the
// picture, top row first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sensor_image.h"

namespace sensor::sim {

enum class PictureFormat { Bitmap, Pgm, Tiff, Dng, Raw10, Raw12, Raw16 };

// "bmp", "pgm", "tiff", "dng", "raw10", "raw12" or "raw16", any letter case.
std::optional<PictureFormat> ParsePictureFormat(const std::string& name);

// Whether the format can hold a picture of these settings; empty when it
// can, else why not.
std::string CheckFormat(PictureFormat format, const SimulationSettings& settings, std::uint64_t stride);

// The picture's raw samples, top row first (Bayer mode).
std::vector<std::uint16_t> RawSamples(const SimulatedImage& image, const SimulationSettings& settings);

// Writes the picture; false when the file cannot be written. `stride` is the
// row length of packed raw frames, 0 for the packed length.
bool WritePicture(const std::string& path, PictureFormat format, const SimulatedImage& image,
                  const SimulationSettings& settings, std::uint64_t stride);

}  // namespace sensor::sim
