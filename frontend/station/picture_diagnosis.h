// Why a run's picture was not analysed, as a diagnostic (diagnostics.h): no
// picture named, a file that is missing or cannot be read, a format that is
// not read, a file that its reader refuses (the reader's own words), or a
// bitmap that was read but that the analysis libraries refuse to bind.
#pragma once

#include <optional>
#include <string>

#include "frontend/common/diagnostics.h"
#include "frontend/pictures/picture_loader.h"

namespace sensor::frontend {

// What the formats and the raw layout are, for the lines that name them.
inline constexpr const char* kPictureFormats =
    "the programs read 24- and 32-bit BMP, binary PGM (P5), TIFF and DNG files; a headerless "
    "packed raw frame needs -RawLayout FORMAT,WIDTH,HEIGHT[,STRIDE]";

// The picture at `path` (as resolved; absent when none was named) failed to
// load with `request`: why. Reads the file again to find out.
Diagnostic DiagnosePicture(const std::optional<std::string>& path, const PictureRequest& request);

// A loaded bitmap that the libraries refuse to bind: why; nothing when its
// header is one they bind.
std::optional<Diagnostic> DiagnoseRefusedBitmap(const std::string& path, const Picture& bitmap);

}  // namespace sensor::frontend
