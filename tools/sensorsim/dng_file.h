// The DNG form of a Bayer picture: one uncompressed full-resolution CFA
// picture in the first directory, samples in the low bits of 8- or 16-bit
// words (16 above a sensor depth of 8), strips of whole rows, and the tags
// general raw decoders look for besides the picture's own (DNGVersion and
// DNGBackwardVersion, Make, Model and UniqueCameraModel, the CFA pattern
// green, red / blue, green with its repeat size, plane colours and layout,
// BlackLevel 0 and WhiteLevel 2^depth - 1, an identity colour matrix and a
// neutral white balance).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sensor_image.h"

namespace sensor::sim {

// Writes `samples` (the picture's raw samples, top row first) as a DNG file;
// false when the file cannot be written.
bool WriteDngFile(const std::string& path, const std::vector<std::uint16_t>& samples, const SimulationSettings& s);

}  // namespace sensor::sim
