// PNG files written for speed (png_file.h, PngSpeed::Fast): the rows are
// filtered and deflated in independent pieces of consecutive rows, one piece
// per analysis thread (analysis/common/parallel_rows.h). Each piece is a raw
// deflate stream of zlib's run-length strategy that ends on a byte boundary
// (a sync flush, or the final block) and refers to nothing before it, so the
// pieces joined make one zlib stream (its checksum combined from the
// pieces'); each piece is stored as IDAT chunks of its own.
#pragma once

#include <optional>
#include <string>

#include "frontend/products/png_file.h"

namespace sensor::frontend {

// The PNG file's bytes of a picture png_file.h's checks accepted; nothing,
// with `problem` set, when memory runs out or zlib's deflate fails.
std::optional<std::string> EncodePngInPieces(const PngPicture& picture, std::string& problem);

}  // namespace sensor::frontend
