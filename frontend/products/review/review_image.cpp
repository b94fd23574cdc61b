#include "frontend/products/review/review_image.h"

#include <algorithm>

#include "frontend/products/review/bitmap_font.h"

namespace sensor::review {
namespace {

constexpr Rgb kBackground{32, 32, 32};
constexpr Rgb kText{235, 235, 235};
constexpr std::int32_t kMaxEnlargedSide = 1024;
constexpr std::int32_t kMaxEnlargement = 16;
constexpr std::int32_t kLargeTextFrom = 1200;  // longer picture side from which text is doubled
constexpr std::int32_t kMinWidthPerScale = 600;

std::int32_t Margin(std::int32_t scale) { return 8 * scale; }
std::int32_t LineHeight(std::int32_t scale) { return (kGlyphHeight + 4) * scale; }
std::int32_t TitleBand(std::int32_t scale) { return 2 * LineHeight(scale) + 8 * scale; }
std::int32_t LegendBand(std::int32_t scale) { return LineHeight(scale) + 8 * scale; }

Rgb VerdictColour(ReviewVerdict verdict) {
  switch (verdict) {
    case ReviewVerdict::Pass: return Rgb{64, 224, 64};
    case ReviewVerdict::Fail: return Rgb{255, 64, 64};
    case ReviewVerdict::Error: break;
  }
  return Rgb{255, 160, 0};
}

// `text` cut to `columns` characters: at its end, or at its start when the end
// matters most (a path's file name), with "..." where it was cut.
std::string Fit(const std::string& text, std::size_t columns, bool keepEnd) {
  if (text.size() <= columns) return text;
  if (columns <= 3) return text.substr(0, columns);
  return keepEnd ? "..." + text.substr(text.size() - (columns - 3)) : text.substr(0, columns - 3) + "...";
}

Rect Grow(const Rect& r, std::int32_t by) {
  return Rect{r.Left - by, r.Top - by, r.Right + by, r.Bottom + by};
}

// The ring's outer radius around one picture pixel: outside the pixel's cell
// with room between, whatever the scale.
std::int32_t RingRadius(const Rect& cell, std::int32_t scale) {
  const std::int32_t side = static_cast<std::int32_t>(std::max(cell.Columns(), cell.Rows()));
  return (side + 1) / 2 + 3 + 2 * scale;
}

void DrawMark(Canvas& canvas, const ReviewLayout& layout, const ReviewMark& mark) {
  const std::int32_t s = layout.TextScale;
  const std::int32_t thickness = 1 + s;
  const Rect area = layout.ToCanvas(mark.Area);
  const Rgb colour = ClassColour(mark.Class);
  const std::int32_t radius = RingRadius(layout.ToCanvas(Rect{0, 0, 0, 0}), s);
  if (mark.Class == FindingClass::Pixel) {
    canvas.Ring(static_cast<std::int32_t>((std::int64_t{area.Left} + area.Right) / 2),
                static_cast<std::int32_t>((std::int64_t{area.Top} + area.Bottom) / 2),
                std::max(radius, RingRadius(area, s)), thickness, colour);
    return;
  }
  Rect box = Grow(area, 2 + s + thickness);
  // Outside the rings of the pixels it holds, so that both show.
  const std::int32_t cx = static_cast<std::int32_t>((std::int64_t{box.Left} + box.Right) / 2);
  const std::int32_t cy = static_cast<std::int32_t>((std::int64_t{box.Top} + box.Bottom) / 2);
  const std::int32_t least = radius + s + thickness;
  box.Left = std::min(box.Left, cx - least);
  box.Right = std::max(box.Right, cx + least);
  box.Top = std::min(box.Top, cy - least);
  box.Bottom = std::max(box.Bottom, cy + least);
  canvas.Outline(box.Left, box.Top, box.Right, box.Bottom, thickness, colour);
}

// An outlined zone, drawn `gap` lines outside the pixels it holds (zones
// that coincide show side by side).
void DrawZone(Canvas& canvas, const ReviewLayout& layout, const std::optional<Rect>& zone,
              std::int32_t gap, Rgb colour, bool dashed) {
  if (!zone) return;
  const Rect clipped = Intersect(*zone, Rect{0, 0, layout.SourceWidth - 1, layout.SourceHeight - 1});
  if (clipped.Empty()) return;
  const std::int32_t s = layout.TextScale;
  const Rect r = Grow(layout.ToCanvas(clipped), gap * s);
  canvas.DashedOutline(r.Left, r.Top, r.Right, r.Bottom, s, dashed ? 6 * s : 0, colour);
}

struct LegendEntry {
  std::string Label;
  Rgb Colour;
};

std::vector<LegendEntry> Legend(const ReviewInput& input) {
  std::size_t counts[3] = {0, 0, 0};
  for (const ReviewMark& mark : input.Marks) ++counts[static_cast<int>(mark.Class)];
  static const char* const kNames[3] = {"pixels", "clusters", "blemishes"};
  static const FindingClass kClasses[3] = {FindingClass::Pixel, FindingClass::Cluster,
                                           FindingClass::Blemish};
  std::vector<LegendEntry> entries;
  for (int c = 0; c < 3; ++c) {
    if (counts[c] > 0) {
      entries.push_back({std::string(kNames[c]) + ": " + std::to_string(counts[c]), ClassColour(kClasses[c])});
    }
  }
  if (input.ScanArea) entries.push_back({"scan area", kScanAreaColour});
  if (input.RegionOfInterest) entries.push_back({"region of interest", kRegionColour});
  if (input.CentreZone) entries.push_back({"centre zone", kCentreZoneColour});
  if (entries.empty()) entries.push_back({"no findings", kText});
  return entries;
}

void DrawTitle(Canvas& canvas, const ReviewLayout& layout, const ReviewInput& input) {
  const std::int32_t s = layout.TextScale;
  const std::int32_t left = Margin(s);
  const auto columns = static_cast<std::size_t>((layout.CanvasWidth - 2 * left) / (kGlyphWidth * s));
  const std::string head = input.Program + "  ";
  DrawText(canvas, left, layout.TitleTop, head, kText, s);
  const std::size_t rest = columns > head.size() ? columns - head.size() : 0;
  DrawText(canvas, left + TextWidth(head, s), layout.TitleTop, Fit(input.Picture, rest, true), kText, s);

  const std::int32_t second = layout.TitleTop + LineHeight(s);
  const std::string verdict = Fit(input.VerdictText, columns, false);
  DrawText(canvas, left, second, verdict, VerdictColour(input.Verdict), s);
  if (input.FailingValues.empty() || verdict.size() + 2 >= columns) return;
  DrawText(canvas, left + TextWidth(verdict + "  ", s), second,
           Fit(input.FailingValues, columns - verdict.size() - 2, false), kText, s);
}

void DrawLegend(Canvas& canvas, const ReviewLayout& layout, const ReviewInput& input) {
  const std::int32_t s = layout.TextScale;
  std::int32_t x = Margin(s);
  const std::int32_t swatch = kGlyphHeight * s;
  for (const LegendEntry& entry : Legend(input)) {
    const std::int32_t width = swatch + 4 * s + TextWidth(entry.Label, s);
    if (x + width > layout.CanvasWidth - Margin(s)) break;
    canvas.Fill(x, layout.LegendTop, x + swatch - 1, layout.LegendTop + swatch - 1, entry.Colour);
    DrawText(canvas, x + swatch + 4 * s, layout.LegendTop, entry.Label, kText, s);
    x += width + 16 * s;
  }
}

}  // namespace

Rect ReviewLayout::ToCanvas(const Rect& area) const {
  const std::int64_t width = Picture.Columns();
  const std::int64_t height = Picture.Rows();
  auto start = [](std::int64_t at, std::int64_t size, std::int64_t source) { return at * size / source; };
  auto end = [](std::int64_t at, std::int64_t size, std::int64_t source) {
    return ((at + 1) * size + source - 1) / source - 1;
  };
  Rect r;
  r.Left = Picture.Left + static_cast<std::int32_t>(start(area.Left, width, SourceWidth));
  r.Top = Picture.Top + static_cast<std::int32_t>(start(area.Top, height, SourceHeight));
  r.Right = Picture.Left + static_cast<std::int32_t>(end(area.Right, width, SourceWidth));
  r.Bottom = Picture.Top + static_cast<std::int32_t>(end(area.Bottom, height, SourceHeight));
  r.Right = std::max(r.Right, r.Left);
  r.Bottom = std::max(r.Bottom, r.Top);
  return r;
}

ReviewLayout PlaceReview(std::int32_t width, std::int32_t height) {
  ReviewLayout layout;
  layout.SourceWidth = std::max(width, 1);
  layout.SourceHeight = std::max(height, 1);
  const std::int64_t w = layout.SourceWidth;
  const std::int64_t h = layout.SourceHeight;
  const std::int64_t longer = std::max(w, h);
  const std::int64_t enlarge = longer >= kMaxEnlargedSide ? 1 : std::min<std::int64_t>(kMaxEnlargement, kMaxEnlargedSide / longer);
  const std::int32_t s = longer >= kLargeTextFrom ? 2 : 1;
  layout.TextScale = s;

  const std::int64_t maxWidth = kMaxReviewSide - 2 * Margin(s);
  const std::int64_t maxHeight = kMaxReviewSide - TitleBand(s) - LegendBand(s) - 2 * Margin(s);
  std::int64_t pw = w * enlarge;
  std::int64_t ph = h * enlarge;
  if (pw > maxWidth || ph > maxHeight) {
    if (w * maxHeight >= h * maxWidth) {
      pw = maxWidth;
      ph = std::max<std::int64_t>(1, h * maxWidth / w);
    } else {
      ph = maxHeight;
      pw = std::max<std::int64_t>(1, w * maxHeight / h);
    }
  }
  layout.CanvasWidth = static_cast<std::int32_t>(std::max<std::int64_t>(pw + 2 * Margin(s), kMinWidthPerScale * s));
  layout.CanvasHeight = static_cast<std::int32_t>(TitleBand(s) + ph + 2 * Margin(s) + LegendBand(s));
  layout.Picture.Left = static_cast<std::int32_t>((layout.CanvasWidth - pw) / 2);
  layout.Picture.Top = TitleBand(s) + Margin(s);
  layout.Picture.Right = layout.Picture.Left + static_cast<std::int32_t>(pw) - 1;
  layout.Picture.Bottom = layout.Picture.Top + static_cast<std::int32_t>(ph) - 1;
  layout.TitleTop = 6 * s;
  layout.LegendTop = layout.Picture.Bottom + 1 + Margin(s) + 4 * s;
  return layout;
}

Rgb ClassColour(FindingClass findingClass) {
  switch (findingClass) {
    case FindingClass::Pixel: return Rgb{255, 48, 48};
    case FindingClass::Cluster: return Rgb{255, 64, 255};
    case FindingClass::Blemish: break;
  }
  return Rgb{255, 140, 0};
}

ReviewBackdrop MakeBackdrop(const ImageBinding& picture, const PictureReading& reading) {
  ReviewBackdrop backdrop;
  backdrop.Layout = PlaceReview(picture.Width, picture.Height);
  backdrop.Picture = ShrinkPicture(picture, reading, static_cast<std::int32_t>(backdrop.Layout.Picture.Columns()),
                                   static_cast<std::int32_t>(backdrop.Layout.Picture.Rows()));
  return backdrop;
}

Canvas DrawReview(const ReviewBackdrop& backdrop, const ReviewInput& input) {
  const ReviewLayout& layout = backdrop.Layout;
  Canvas canvas(layout.CanvasWidth, layout.CanvasHeight, kBackground);
  canvas.Paste(backdrop.Picture, layout.Picture.Left, layout.Picture.Top);
  DrawZone(canvas, layout, input.ScanArea, 1, kScanAreaColour, true);
  DrawZone(canvas, layout, input.RegionOfInterest, 3, kRegionColour, false);
  DrawZone(canvas, layout, input.CentreZone, 5, kCentreZoneColour, true);
  const Rect bounds{0, 0, layout.SourceWidth - 1, layout.SourceHeight - 1};
  for (const FindingClass drawn : {FindingClass::Pixel, FindingClass::Cluster, FindingClass::Blemish}) {
    for (const ReviewMark& mark : input.Marks) {
      if (mark.Class != drawn) continue;
      const Rect area = Intersect(mark.Area, bounds);
      if (!area.Empty()) DrawMark(canvas, layout, ReviewMark{mark.Class, area});
    }
  }
  DrawTitle(canvas, layout, input);
  DrawLegend(canvas, layout, input);
  return canvas;
}

}  // namespace sensor::review
