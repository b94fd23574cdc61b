#include "reference_rules.h"

#include <algorithm>
#include <cmath>

#include "sample_of.h"

namespace sensor::waferon::reference {
namespace {

bool Empty(const DefectRecord& e) { return e.X < 0 || e.Y < 0; }

double Percent(double ref, double value, bool percent) {
  const double d = std::fabs(ref - value);
  return percent && ref > 1.0 ? d / ref * 100.0 : d;
}

bool Passes(const SearchCase& c, int colour, double score) {
  for (const auto& thresholds : c.Thresholds) {
    if (score > thresholds[static_cast<std::size_t>(colour)]) return true;
  }
  return false;
}

// Moves a window [c - k, c + k] inward as the rules say (by `shiftOf` the
// overhang), then keeps the positions of [lo, hi] that lie on its lattice.
template <class ShiftOf>
std::vector<std::int64_t> Positions(std::int64_t c, std::int64_t k, std::int64_t step,
                                    std::int64_t lo, std::int64_t hi, const ShiftOf& shiftOf) {
  std::int64_t first = c - k, last = c + k;
  if (first < lo) {
    const std::int64_t s = shiftOf(lo - first);
    first += s;
    last += s;
  } else if (last > hi) {
    const std::int64_t s = shiftOf(last - hi);
    first -= s;
    last -= s;
  }
  // The window's lattice positions that lie in [lo, hi].
  std::vector<std::int64_t> out;
  if (first < lo) first += (lo - first + step - 1) / step * step;
  for (std::int64_t v = first; v <= std::min(last, hi); v += step) out.push_back(v);
  return out;
}

}  // namespace

std::vector<DefectRecord> EmptyTable(std::size_t size) {
  return std::vector<DefectRecord>(size, DefectRecord{-1, -1, 0.0, 0, 0});
}

void OfferToTable(std::vector<DefectRecord>& table, const DefectRecord& r) {
  for (DefectRecord& e : table) {
    if (e.X == r.X && e.Y == r.Y) {
      if (r.Score > e.Score) e.Score = r.Score;
      return;
    }
    if (Empty(e)) {
      e.X = r.X;
      e.Y = r.Y;
      e.Score = r.Score;
      e.Colour = r.Colour;
      return;
    }
  }
  if (table.empty()) return;
  std::size_t smallest = 0;
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (table[i].Score < table[smallest].Score) smallest = i;
  }
  if (r.Score > table[smallest].Score) {
    table[smallest].X = r.X;
    table[smallest].Y = r.Y;
    table[smallest].Score = r.Score;
    table[smallest].Colour = r.Colour;
  }
}

void SortTable(std::vector<DefectRecord>& table) {
  bool exchanged = true;
  while (exchanged) {
    exchanged = false;
    for (std::size_t i = 0; i + 1 < table.size(); ++i) {
      if (table[i + 1].Score > table[i].Score) {
        std::swap(table[i].X, table[i + 1].X);
        std::swap(table[i].Y, table[i + 1].Y);
        std::swap(table[i].Score, table[i + 1].Score);
        std::swap(table[i].Colour, table[i + 1].Colour);
        exchanged = true;
      }
    }
  }
}

double BayerLocalMean(const ImageBinding& image, const Rect& region, SampleRule rule,
                      std::int32_t hammer, std::int32_t x, std::int32_t y) {
  const std::int64_t h = hammer & ~1;
  auto evenShift = [](std::int64_t over) { return 2 * ((over - 1) / 2) + 2; };
  const auto columns = Positions(x, h, 2, region.Left, region.Right, evenShift);
  const auto rows = Positions(y, h, 2, region.Top, region.Bottom, evenShift);
  std::uint64_t sum = 0;
  for (std::int64_t row : rows)
    for (std::int64_t column : columns)
      sum += sensor::test::SampleOf(rule, image.PixelAt(static_cast<std::int32_t>(column), static_cast<std::int32_t>(row)),
                             image.BytesPerPixel);
  const std::int64_t others = static_cast<std::int64_t>(columns.size() * rows.size()) - 1;
  if (others <= 0) return 0.0;
  return static_cast<double>(sum - sensor::test::SampleOf(rule, image.PixelAt(x, y), image.BytesPerPixel)) /
         static_cast<double>(others);
}

std::array<double, 3> ColourLocalMeans(const ImageBinding& image, const Rect& region,
                                       std::int32_t hammer, std::int32_t x, std::int32_t y) {
  const std::int64_t e = hammer / 2;
  auto exactShift = [](std::int64_t over) { return over; };
  const auto columns = Positions(x, e, 1, region.Left, region.Right, exactShift);
  const auto rows = Positions(y, e, 1, region.Top, region.Bottom, exactShift);
  static constexpr int kByte[3] = {2, 1, 0};
  std::array<double, 3> means{};
  const std::int64_t others = static_cast<std::int64_t>(columns.size() * rows.size()) - 1;
  if (others <= 0) return means;
  for (int k = 0; k < 3; ++k) {
    std::uint64_t sum = 0;
    for (std::int64_t row : rows)
      for (std::int64_t column : columns)
        sum += image.PixelAt(static_cast<std::int32_t>(column), static_cast<std::int32_t>(row))[kByte[k]];
    sum -= image.PixelAt(x, y)[kByte[k]];
    means[static_cast<std::size_t>(k)] = static_cast<double>(sum) / static_cast<double>(others);
  }
  return means;
}

SearchResult Search(const ImageBinding& image, const SearchCase& c, std::size_t tableSize) {
  SearchResult result;
  result.Table = EmptyTable(tableSize);
  const Rect& r = c.Region;
  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    for (std::int32_t x = r.Left; x <= r.Right; ++x) {
      double score = 0.0;
      int colour = 0;
      bool candidate = false;
      const std::uint8_t* p = image.PixelAt(x, y);
      if (c.Bayer) {
        colour = BayerColourIndex(x - r.Left, y - r.Top);
        if (c.Local && !c.Enabled[static_cast<std::size_t>(colour)]) continue;
        const double ref = c.Local ? BayerLocalMean(image, r, c.Rule, c.Hammer, x, y)
                                   : c.Levels[static_cast<std::size_t>(colour)];
        score = Percent(ref, sensor::test::SampleOf(c.Rule, p, image.BytesPerPixel), c.Percent);
        candidate = Passes(c, colour, score);
      } else {
        std::array<double, 3> refs{c.Levels[0], c.Levels[1], c.Levels[2]};
        if (c.Local) refs = ColourLocalMeans(image, r, c.Hammer, x, y);
        const double scores[3] = {Percent(refs[0], p[2], c.Percent), Percent(refs[1], p[1], c.Percent),
                                  Percent(refs[2], p[0], c.Percent)};
        score = scores[0];
        if (scores[1] > score) score = scores[1], colour = 1;
        if (scores[2] > score) score = scores[2], colour = 2;
        for (int k = 0; k < 3; ++k) candidate = candidate || Passes(c, k, scores[k]);
      }
      const DefectRecord record{x, y, score, colour, 0};
      OfferToTable(result.Table, record);
      if (candidate) {
        if (result.Candidates.size() > c.CandidateLimit) {
          result.Stopped = true;
          return result;
        }
        result.Candidates.push_back(record);
      }
    }
  }
  return result;
}

std::vector<std::pair<std::int32_t, std::int32_t>> GrowOrder(
    const std::vector<std::pair<std::int32_t, std::int32_t>>& candidates, const Rect& region,
    std::int32_t x, std::int32_t y, std::int32_t step,
    std::vector<std::pair<std::int32_t, std::int32_t>>& visited) {
  std::vector<std::pair<std::int32_t, std::int32_t>> order;
  auto has = [](const auto& list, std::int32_t px, std::int32_t py) {
    return std::find(list.begin(), list.end(), std::make_pair(px, py)) != list.end();
  };
  auto grow = [&](auto&& self, std::int32_t px, std::int32_t py) -> void {
    if (!region.Contains(px, py)) return;
    if (has(candidates, px, py)) {
      order.emplace_back(px, py);
      visited.emplace_back(px, py);
    }
    const std::int32_t s = step;
    const std::pair<std::int32_t, std::int32_t> next[4] = {
        {px - s, py}, {px + s, py}, {px - s, py + s}, {px, py + s}};
    for (const auto& [nx, ny] : next) {
      if (has(candidates, nx, ny) && !has(visited, nx, ny)) self(self, nx, ny);
    }
    if (has(candidates, px + s, py + s) && !has(visited, px + s, py + s)) self(self, px + s, py + s);
  };
  grow(grow, x, y);
  return order;
}

}  // namespace sensor::waferon::reference
