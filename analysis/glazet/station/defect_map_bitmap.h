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

// The 14-byte file header and 40-byte information header of the file: the
// binding's width and bit count, its height negated when the buffer stores the
// top row first, and a pixel data size of Stride x Height.
std::array<std::uint8_t, 54> DefectMapFileHeaders(const ImageBinding& image);

// Paints the picture and writes it to `path`: 0 (candidate, any non-zero byte
// of `map`) or 255 into the first three bytes of every pixel, the fourth byte
// of a 32-bit pixel and the row padding kept; then the headers and the whole
// pixel buffer, rows in the order the buffer stores them. `map` holds Width x
// Height bytes, top row first. A block of rows at a time, so that each block
// is written while it is still in the processor's cache; with a second
// analysis thread, one thread paints while the other writes the blocks
// already painted (the same file either way). The whole picture is
// painted even when the file cannot be opened or written (false); the run
// reports neither. Does nothing (false) for a binding without pixels.
bool PaintAndWriteDefectMap(const ImageBinding& image, const std::uint8_t* map, const std::string& path);

// Writes the same file as PaintAndWriteDefectMap and leaves the bound pixels
// as they are: each block of rows is copied into memory of its own, painted
// there and written from there, so that the bound buffer is only read (a
// mapped picture file is never copied page by page). With a second analysis
// thread the two threads take every other block, each writing its blocks at
// their places in the file. False when the file cannot be opened or written or
// a block's memory cannot be had, and for a binding without pixels.
bool WriteDefectMapKeepingPicture(const ImageBinding& image, const std::uint8_t* map, const std::string& path);

}  // namespace sensor::glazet
