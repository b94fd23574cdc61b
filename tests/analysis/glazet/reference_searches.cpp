#include "reference_searches.h"

#include "common/sample_rule.h"
#include "common/window_placement.h"
#include "glazet/core/mean_band.h"

namespace sensor::glazet::reference {
namespace {

bool IsBayer(Kind kind) { return kind == Kind::GlobalBayer || kind == Kind::LocalBayer; }
bool IsLocal(Kind kind) { return kind == Kind::LocalBayer || kind == Kind::LocalColour; }

// The value a window sums at (x, y): the sample, or the tested colour byte.
std::uint32_t ValueAt(const WindowSearchSetup& s, bool bayer, std::int64_t x, std::int64_t y) {
  const std::uint8_t* p = s.Image.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
  if (!bayer) return p[s.Plane];
  if (s.Sample.Shift == 0) return p[0];
  return (std::uint32_t{p[0]} << s.Sample.Shift) | (p[1] & 3u);
}

// The window of the given size around one coordinate: a box of every pixel
// (half size / 2), or every second site (half the size with its lowest bit
// cleared); moved inward at the scan area's edges.
Span Place(bool bayer, std::int64_t c, std::int32_t size, std::int64_t lo, std::int64_t hi) {
  if (bayer) return PlaceSiteWindow(c, size & ~std::int64_t{1}, lo, hi);
  return PlaceBox(c, size / 2, lo, hi);
}

bool Tested(const WindowSearchSetup& s, bool bayer, std::int64_t x, std::int64_t y) {
  if (!s.TestedArea().Contains(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y))) return false;
  return !bayer || BayerColourIndex(x - s.ScanArea.Left, y - s.ScanArea.Top) == s.Plane;
}

}  // namespace

bool Marks(const WindowSearchSetup& s, Kind kind, std::int64_t x, std::int64_t y) {
  const bool bayer = IsBayer(kind);
  if (!Tested(s, bayer, x, y)) return false;
  const std::int64_t step = bayer ? 2 : 1;
  const Rect& a = s.ScanArea;
  const Span smallRows = Place(bayer, y, s.SmallSize, a.Top, a.Bottom);
  const Span smallColumns = Place(bayer, x, s.SmallSize, a.Left, a.Right);
  if (!IsLocal(kind)) {
    std::uint64_t sum = 0;
    std::int64_t count = 0;
    for (std::int64_t wy = smallRows.First; wy <= smallRows.Last; wy += step)
      for (std::int64_t wx = smallColumns.First; wx <= smallColumns.Last; wx += step, ++count)
        sum += ValueAt(s, bayer, wx, wy);
    return FixedBand::Around(s.Reference, s.Threshold).Outside(WindowMean(sum, count));
  }
  // The outer mean covers the large window. The inner mean covers the small
  // window: in Bayer mode only the part of it inside the large one.
  const Span largeRows = Place(bayer, y, s.LargeSize, a.Top, a.Bottom);
  const Span largeColumns = Place(bayer, x, s.LargeSize, a.Left, a.Right);
  std::uint64_t inner = 0, outer = 0;
  std::int64_t innerCount = 0, outerCount = 0;
  for (std::int64_t wy = largeRows.First; wy <= largeRows.Last; wy += step) {
    for (std::int64_t wx = largeColumns.First; wx <= largeColumns.Last; wx += step) {
      const std::uint32_t v = ValueAt(s, bayer, wx, wy);
      outer += v;
      ++outerCount;
      if (bayer && smallRows.Contains(wy) && smallColumns.Contains(wx)) {
        inner += v;
        ++innerCount;
      }
    }
  }
  if (!bayer) {
    for (std::int64_t wy = smallRows.First; wy <= smallRows.Last; ++wy)
      for (std::int64_t wx = smallColumns.First; wx <= smallColumns.Last; ++wx, ++innerCount)
        inner += ValueAt(s, bayer, wx, wy);
  }
  return RelativeBand::For(s.Threshold).Outside(WindowMean(inner, innerCount), WindowMean(outer, outerCount));
}

std::int64_t Search(const WindowSearchSetup& s, Kind kind) {
  std::int64_t candidates = 0;
  for (std::int64_t y = 0; y < s.Image.Height; ++y) {
    for (std::int64_t x = 0; x < s.Image.Width; ++x) {
      if (Marks(s, kind, x, y)) {
        s.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

}  // namespace sensor::glazet::reference
