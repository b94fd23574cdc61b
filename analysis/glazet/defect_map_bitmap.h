// The picture of a run's candidates: the bound pixel buffer painted black where
// the defect map holds a candidate and white elsewhere, and written as a bitmap
// file for the engineer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/image_binding.h"

namespace sensor::glazet {

inline constexpr const char* kDefectMapFileName = "pkgdfects.bmp";

// Writes 0 (candidate) or 255 into the first three bytes of every pixel of the
// picture. The fourth byte of a 32-bit pixel and the row padding keep their
// values. `map` holds Width x Height bytes, top row first.
void PaintDefectMap(const ImageBinding& image, const std::uint8_t* map);

// The 14-byte file header and 40-byte information header of the file: the
// binding's width and bit count, its height negated when the buffer stores the
// top row first, and a pixel data size of Stride x Height.
std::array<std::uint8_t, 54> DefectMapFileHeaders(const ImageBinding& image);

// Writes the headers and the whole pixel buffer, rows in the order the buffer
// stores them, to `path`. False when the file cannot be opened or written; the
// run does not report either.
bool WriteDefectMapFile(const ImageBinding& image, const std::string& path);

// Both at once: paints the picture and writes it to `path`, a block of rows at
// a time, so that each block is written while it is still in the processor's
// cache. The whole picture is painted even when the file fails (false).
bool PaintAndWriteDefectMap(const ImageBinding& image, const std::uint8_t* map, const std::string& path);

}  // namespace sensor::glazet
