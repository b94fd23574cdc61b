// The review image's text: a fixed-width bitmap font of 6 x 13 pixels per
// character for printable ASCII, drawn at a whole-number scale.
#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/products/review/review_canvas.h"

namespace sensor::review {

inline constexpr std::int32_t kGlyphWidth = 6;
inline constexpr std::int32_t kGlyphHeight = 13;

// Width in pixels of `text` drawn at `scale`.
std::int32_t TextWidth(std::string_view text, std::int32_t scale);

// Draws `text` with its cells' top-left corner at (x, y); characters outside
// printable ASCII are drawn as '?'. Only the glyphs' set pixels are painted.
void DrawText(Canvas& canvas, std::int32_t x, std::int32_t y, std::string_view text, Rgb colour,
              std::int32_t scale);

}  // namespace sensor::review
