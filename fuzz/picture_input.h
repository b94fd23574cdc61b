// What the picture fuzz targets share: the run's mode taken from the
// input's first byte, and the checks every loaded picture must pass: the
// libraries bind it, their binding stays inside the pixel buffer, and every
// raw pixel holds a sample of the sensor depth exactly as a station's 32-bit
// bitmap would (the high bits, then the low bits, then two zero bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/image_binding.h"
#include "frontend/station/picture_diagnosis.h"
#include "frontend/pictures/picture_loader.h"
#include "fuzz_input.h"

namespace sensor::fuzz {

// Bayer mode with three of four first bytes, samples in the top bits of their
// words with one of two, and a depth that is mostly valid.
inline frontend::PictureRequest ModeFrom(ParameterBytes& in) {
  const std::uint8_t flags = in.Byte();
  return frontend::PictureRequest{(flags & 3) != 0, in.BitDepth(), (flags & 4) != 0};
}

inline void Require(bool holds) {
  if (!holds) __builtin_trap();
}

// Traps when a loaded picture breaks what the loaders promise: a picture the
// libraries bind lies inside its buffer; one that a raw reader made (`raw`)
// always binds, is stored bottom row first and holds samples of the sensor depth.
// Any other input may still load as a station bitmap, whose header the
// libraries may refuse and whose pixels may hold anything.
inline void CheckPicture(frontend::Picture& picture, const frontend::PictureRequest& mode, bool raw) {
  ImageBinding binding;
  const bool bound = BindBitmap(picture.Header.data(), picture.Pixels.data(), binding) ==
                     SensorDefectDetectionClass::S_OK;
  Require(bound || !raw);
  if (!bound) return;
  Require(std::uint64_t{binding.Stride} * static_cast<std::uint64_t>(binding.Height) <= picture.Pixels.size());
  if (!raw) return;
  Require(!binding.TopRowFirst());
  if (binding.BitCount != 32) return;  // an RGB picture: any bytes
  const std::uint32_t lowBits = static_cast<std::uint32_t>(mode.SensorBpp - 8);
  for (std::int32_t y = 0; y < binding.Height; ++y) {
    for (std::int32_t x = 0; x < binding.Width; ++x) {
      std::uint32_t word;
      std::memcpy(&word, binding.PixelAt(x, y), sizeof word);
      Require((word >> 8) < (1u << lowBits) || (lowBits == 0 && (word >> 8) == 0));
    }
  }
}

// Reads the file part of the input (after `parameterBytes`) as the run would,
// straight from the input's bytes, and checks a loaded picture.
// `recognised`: the target's reader takes the file (its first bytes, or a raw
// layout); then the picture must be a raw one and a file that does not load
// must say why.
inline void ReadAndCheck(const std::uint8_t* data, std::size_t size, std::size_t parameterBytes,
                         frontend::PictureRequest request, const std::optional<std::string>& layout,
                         bool recognised) {
  request.RawLayout = layout;
  frontend::LoadProblem problem;
  std::optional<frontend::Picture> picture =
      frontend::ReadPictureBytes(frontend::FileBytes(data + parameterBytes, size - parameterBytes), request, problem);
  if (picture) {
    CheckPicture(*picture, request, recognised);
    frontend::DiagnoseRefusedBitmap("fuzz input", *picture);
  } else {
    Require(!recognised || !problem.empty());
  }
}

}  // namespace sensor::fuzz
