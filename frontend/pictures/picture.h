// The picture a reader produces, and how a run asks for one to be read.
//
// A picture is what the libraries bind: a bitmap's header block (the
// information header and whatever lies between it and the pixel data) and its
// pixel buffer, which is either memory of its own or the pixel data of the
// picture file mapped in place (pixel_buffer.h). Raw frames and TIFF pictures
// are turned into such a bitmap by their readers (raw_frame.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frontend/pictures/pixel_buffer.h"

namespace sensor::frontend {

// The bytes of a picture file, read or mapped by the caller.
using FileBytes = std::span<const unsigned char>;

// Why a picture was not read; empty while nothing is wrong.
using LoadProblem = std::string;

// Where a bitmap's pixels live: the file's pixel data mapped in place, which
// costs no copy for a run that only reads them, or memory of their own, read
// from the file without mapping it, for a run that paints every pixel (a
// mapped page would be copied on its first write, one fault per small page).
enum class PixelMemory { MappedFile, Own };

// How to read a picture: the analysis mode and the sensor depth of BitsUsage
// that raw samples are read for, whether the file's samples sit in the top
// bits of their words (-TopBits, TopBits=1), the -RawLayout value as given
// (absent without the option), and where a bitmap's pixels go (the raw
// readers always fill memory of their own).
struct PictureRequest {
  bool BayerMode = false;
  std::int32_t SensorBpp = 0;
  bool TopBits = false;
  std::optional<std::string> RawLayout = std::nullopt;
  PixelMemory Memory = PixelMemory::MappedFile;
};

// The sample levels a DNG file states (BlackLevel, WhiteLevel: as many
// values as the file gives), or the format's defaults where it gives none.
struct DngLevels {
  std::vector<double> Black;
  std::vector<double> White;
};

struct Picture {
  std::vector<unsigned char> Header;  // at least 40 bytes
  PixelBuffer Pixels;                 // the pixel-data size of the header
  std::optional<DngLevels> Dng;       // a picture read from a DNG file
};

// Pixel-data size of a header block: biSizeImage when it is not 0, else
// ceil(biBitCount x biWidth / 32) x 4 x |biHeight|, computed in 64 bits.
// Nothing when the block is shorter than 40 bytes, the width is negative, or
// the size does not fit in 64 bits.
std::optional<std::uint64_t> PixelDataSize(const std::vector<unsigned char>& header);

// A copy of a picture with pixel memory of its own; nothing when the buffers
// cannot be had.
std::optional<Picture> CopyPicture(const Picture& picture);

}  // namespace sensor::frontend
