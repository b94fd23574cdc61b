#include "waferon/core/clusters.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "common/large_pages.h"
#include "common/parallel_rows.h"
#include "waferon/kernels/waferon_kernels.h"
#include "common/precondition.h"
#include "common/sample_rule.h"

namespace sensor::waferon {
namespace {

// Positions are formed in 64 bits; one outside the 32-bit range holds nothing.
bool Fits(std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// Positions one part of a split count visited, in the order visited.
using Visits = std::vector<std::pair<std::int32_t, std::int32_t>>;

// Membership asked of the lists' position indexes. A part of a split count
// keeps its own visits in `own` and `visits` and leaves the visited list as it
// is, which the parts only read.
class IndexLookup {
 public:
  IndexLookup(const CandidateList& candidates, VisitedList& visited, PositionIndex* own = nullptr,
              Visits* visits = nullptr)
      : candidates_(candidates), visited_(visited), own_(own), visits_(visits) {}

  bool IsCandidate(std::int64_t x, std::int64_t y) const {
    return Fits(x) && Fits(y) &&
           candidates_.Contains(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
  }
  // A candidate the growth may still enter.
  bool Unvisited(std::int64_t x, std::int64_t y) const {
    return IsCandidate(x, y) && !Seen(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
  }
  // Asked of candidate positions only.
  bool Visited(std::int32_t x, std::int32_t y) const {
    SENSOR_PRECONDITION(IsCandidate(x, y));
    return Seen(x, y);
  }
  void Visit(std::int32_t x, std::int32_t y) {
    SENSOR_PRECONDITION(IsCandidate(x, y));
    if (own_ == nullptr) {
      visited_.Add(x, y);
      return;
    }
    own_->Insert(x, y, 0);
    visits_->emplace_back(x, y);
  }
  const DefectRecord* FirstAt(std::int32_t x, std::int32_t y) const { return candidates_.FirstAt(x, y); }

 private:
  bool Seen(std::int32_t x, std::int32_t y) const {
    return visited_.Contains(x, y) || (own_ != nullptr && own_->Contains(x, y));
  }

  const CandidateList& candidates_;
  VisitedList& visited_;
  PositionIndex* own_;
  Visits* visits_;
};

// The same answers from two bits per position over the candidates' bounding
// box: whether a candidate lies there, and whether it has been visited. Every
// visit still goes into the visited list, which outlives the count; the bits
// only spare the growth a hash probe (and its cache miss) per question. The
// first record at a candidate position is found without hashing as well:
// candidate positions are numbered in grid order (a count per word of the
// grid plus the candidate bits before the position in its word), and the
// number indexes a table of first records. Growth stays near the record it
// started from, so these lookups stay in nearby memory.
class GridLookup {
 public:
  // Largest box the grid is built for: 2^28 positions take 64 MiB of bits
  // and 32 MiB of word counts.
  static constexpr std::int64_t kMaxPositions = std::int64_t{1} << 28;
  // Nor for candidates sparser than one record per this many positions: the
  // grid takes three bits a position (96 bytes a record here), all of them
  // zeroed, and in a fresh process first touched, before the count starts,
  // while the hash probes it spares number about ten a candidate. Measured on
  // a 48 MP picture with 16,000 candidates (one per 3,000 positions), the
  // whole program ran 13% faster on the indexes; the count itself took the
  // same time either way.
  static constexpr std::int64_t kMostPositionsPerRecord = 256;

  GridLookup(const CandidateList& candidates, VisitedList& visited, ClusterGrid& memory)
      : records_(candidates.Records()), visited_(visited), bits_(memory.Bits),
        before_(memory.Before), first_(memory.First) {
    bits_.clear();  // unusable until built; the capacity stays for reuse
    const auto& records = candidates.Records();
    if (records.empty()) return;
    std::int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    for (const DefectRecord& r : records) {
      left = std::min<std::int64_t>(left, r.X);
      right = std::max<std::int64_t>(right, r.X);
      top = std::min<std::int64_t>(top, r.Y);
      bottom = std::max<std::int64_t>(bottom, r.Y);
    }
    const std::int64_t width = right - left + 1, height = bottom - top + 1;
    if (width > kMaxPositions / height) return;
    // Sparse candidates: the indexes answer instead.
    if (width * height > kMostPositionsPerRecord * static_cast<std::int64_t>(records.size())) return;
    const auto words = static_cast<std::size_t>((width * height + 31) / 32);
    try {
      bits_.assign(words, 0);
      before_.resize(words);
      first_.assign(records.size(), kNoRecord);
    } catch (const std::bad_alloc&) {
      bits_.clear();
      return;  // the indexes answer instead
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    const bool anyVisited = visited.Size() != 0;
    for (const DefectRecord& r : records) {
      const std::uint64_t i = IndexOf(r.X, r.Y);
      const bool seen = anyVisited && visited.Contains(r.X, r.Y);
      bits_[i / 32] |= (seen ? std::uint64_t{3} : std::uint64_t{1}) << (2 * (i % 32));
    }
    ActiveWaferonKernels().CountMarkedPairs(bits_.data(), before_.data(), words);
    // In list order, the first record met at a position is its first.
    for (std::size_t k = 0; k < records.size(); ++k) {
      std::uint32_t& first = first_[Number(IndexOf(records[k].X, records[k].Y))];
      if (first == kNoRecord) first = static_cast<std::uint32_t>(k);
    }
  }

  bool Usable() const { return !bits_.empty(); }

  bool IsCandidate(std::int64_t x, std::int64_t y) const { return Inside(x, y) && (Pair(x, y) & 1) != 0; }
  bool Unvisited(std::int64_t x, std::int64_t y) const { return Inside(x, y) && Pair(x, y) == 1; }
  bool Visited(std::int32_t x, std::int32_t y) const {
    SENSOR_PRECONDITION(IsCandidate(x, y));
    return (Pair(x, y) & 2) != 0;
  }
  const DefectRecord* FirstAt(std::int32_t x, std::int32_t y) const {
    if (!IsCandidate(x, y)) return nullptr;
    return &records_[first_[Number(IndexOf(x, y))]];
  }
  // Called for candidate positions only, which all lie in the box.
  void Visit(std::int32_t x, std::int32_t y) {
    SENSOR_PRECONDITION(IsCandidate(x, y));
    visited_.Add(x, y);
    const std::uint64_t i = IndexOf(x, y);
    bits_[i / 32] |= std::uint64_t{2} << (2 * (i % 32));
  }
  // The same for a part of a split count, beside the other parts: the bit is
  // set in one indivisible step (the parts' rows may share a word), the
  // position goes to the part's visits instead of the visited list.
  void VisitInPart(std::int32_t x, std::int32_t y, Visits& visits) {
    SENSOR_PRECONDITION(IsCandidate(x, y));
    visits.emplace_back(x, y);
    const std::uint64_t i = IndexOf(x, y);
    std::atomic_ref<std::uint64_t>(bits_[i / 32]).fetch_or(std::uint64_t{2} << (2 * (i % 32)),
                                                           std::memory_order_relaxed);
  }

 private:
  bool Inside(std::int64_t x, std::int64_t y) const {
    return x >= left_ && y >= top_ && x - left_ < width_ && y - top_ < height_;
  }
  std::uint64_t IndexOf(std::int64_t x, std::int64_t y) const {
    SENSOR_PRECONDITION(Inside(x, y));
    return static_cast<std::uint64_t>((y - top_) * width_ + (x - left_));
  }
  // Read as one whole word: another part may be setting a bit of it.
  std::uint64_t Pair(std::int64_t x, std::int64_t y) const {
    const std::uint64_t i = IndexOf(x, y);
    return Word(i / 32) >> (2 * (i % 32)) & 3;
  }
  std::uint64_t Word(std::uint64_t w) const {
    return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(bits_[w])).load(std::memory_order_relaxed);
  }

  // The number of the candidate position at grid index i.
  std::size_t Number(std::uint64_t i) const {
    const std::uint64_t below = (std::uint64_t{1} << (2 * (i % 32))) - 1;
    return before_[i / 32] + CountPairs(Word(i / 32) & kCandidateBits & below);
  }

  // The set bits of a word whose bits lie at even places only. Counted in the
  // word itself: the baseline instruction set has no bit-count instruction,
  // and the library call the compiler falls back on costs more than this.
  static std::size_t CountPairs(std::uint64_t lows) {
    lows = (lows & 0x3333333333333333ull) + ((lows >> 2) & 0x3333333333333333ull);  // 0..2 per 4 bits
    lows = (lows + (lows >> 4)) & 0x0F0F0F0F0F0F0F0Full;                           // 0..4 per byte
    return static_cast<std::size_t>((lows * 0x0101010101010101ull) >> 56);
  }

  static constexpr std::uint64_t kCandidateBits = 0x5555555555555555ull;  // the low bit of each pair
  static constexpr std::uint32_t kNoRecord = UINT32_MAX;

  const std::vector<DefectRecord>& records_;
  VisitedList& visited_;
  // Over the candidates' whole box: large pages spare a fault per small page.
  decltype(ClusterGrid::Bits)& bits_;
  decltype(ClusterGrid::Before)& before_;  // candidate positions in the words before each word
  decltype(ClusterGrid::First)& first_;    // first record of each numbered candidate position
  std::int64_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// One part's view of the grid in a split count: its visits are kept for the
// visited list, which the parts leave as it is.
class GridPart {
 public:
  GridPart(GridLookup& grid, Visits& visits) : grid_(grid), visits_(visits) {}
  bool IsCandidate(std::int64_t x, std::int64_t y) const { return grid_.IsCandidate(x, y); }
  bool Unvisited(std::int64_t x, std::int64_t y) const { return grid_.Unvisited(x, y); }
  bool Visited(std::int32_t x, std::int32_t y) const { return grid_.Visited(x, y); }
  const DefectRecord* FirstAt(std::int32_t x, std::int32_t y) const { return grid_.FirstAt(x, y); }
  void Visit(std::int32_t x, std::int32_t y) { grid_.VisitInPart(x, y, visits_); }

 private:
  GridLookup& grid_;
  Visits& visits_;
};

// The highest-scoring member of a cluster (the first of equal scores met) and
// the number of members.
struct ClusterPeak {
  double Score = 0.0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Colour = 0;
  std::int64_t Members = 0;
};

// One pending call of the depth-first growth: the member at (X, Y) and the next
// of its four side and lower neighbours to look at (-1 before the member has
// been taken).
struct Frame {
  std::int32_t X;
  std::int32_t Y;
  int Next;
};

// `stack` is scratch memory, empty on entry and on return.
template <class Lookup>
ClusterPeak Grow(Lookup& lookup, const Rect& region,
                 std::int32_t x, std::int32_t y, std::int32_t step, std::vector<Frame>& stack) {
  SENSOR_PRECONDITION(stack.empty() && step > 0);
  ClusterPeak peak;
  const std::int64_t s = step;
  stack.push_back({x, y, -1});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next < 0) {
      if (!region.Contains(f.X, f.Y)) {
        stack.pop_back();
        continue;
      }
      if (const DefectRecord* node = lookup.FirstAt(f.X, f.Y)) {
        if (node->Score > peak.Score) {
          peak.Score = node->Score;
          peak.X = node->X;
          peak.Y = node->Y;
          peak.Colour = node->Colour;
        }
        ++peak.Members;
        lookup.Visit(f.X, f.Y);
      }
      f.Next = 0;
    }
    // Left, right, lower left and below, each grown to its end in turn.
    static constexpr int kSide[4][2] = {{-1, 0}, {1, 0}, {-1, 1}, {0, 1}};
    if (f.Next < 4) {
      const std::int64_t nx = f.X + kSide[f.Next][0] * s, ny = f.Y + kSide[f.Next][1] * s;
      ++f.Next;
      if (lookup.Unvisited(nx, ny)) {
        stack.push_back({static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny), -1});
      }
      continue;
    }
    // Lower right last: growth goes on from there in place of this call.
    const std::int64_t nx = f.X + s, ny = f.Y + s;
    if (lookup.Unvisited(nx, ny)) {
      f = {static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny), -1};
    } else {
      stack.pop_back();
    }
  }
  return peak;
}

template <class Lookup>
bool HasNeighbour(const Lookup& lookup, std::int32_t x, std::int32_t y, std::int32_t step) {
  const std::int64_t s = step;
  for (std::int64_t dy = -1; dy <= 1; ++dy) {
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
      if ((dx != 0 || dy != 0) && lookup.IsCandidate(x + dx * s, y + dy * s)) return true;
    }
  }
  return false;
}

// What the count found over a stretch of the list, in the order found.
struct PartCount {
  std::int32_t Centre = 0, Side = 0;
  std::vector<DefectRecord> Peaks;  // with the member count in Reserved
  // A part of a split count: the positions it visited, and (counting through
  // the indexes) their index.
  Visits Visited;
  PositionIndex Own;
};

// Grows a cluster from every record of [begin, end) of the list, in order.
template <class Lookup>
void CountRange(std::span<const DefectRecord> records, Lookup& lookup, const Geometry& regions,
                const _PARAMS_Waferon& params, std::int32_t step, PartCount& out) {
  std::vector<Frame> stack;
  for (const DefectRecord& node : records) {
    if (lookup.Visited(node.X, node.Y)) continue;
    if (!HasNeighbour(lookup, node.X, node.Y, step)) continue;
    const ClusterPeak peak = Grow(lookup, regions.SearchRegion, node.X, node.Y, step, stack);
    if (peak.Members < params.ClusterSize) continue;
    Zone zone;
    double threshold;
    if (!ZoneThreshold(regions, peak.X, peak.Y, params.CenterClusterThreshold,
                       params.SideClusterThreshold, zone, threshold) ||
        !(threshold < peak.Score)) {
      continue;
    }
    ++(zone == Zone::Centre ? out.Centre : out.Side);
    // A cluster holds no more members than the candidate list, which is far
    // shorter than the 32-bit range.
    out.Peaks.push_back(DefectRecord{peak.X, peak.Y, peak.Score, peak.Colour,
                                     static_cast<std::int32_t>(std::min<std::int64_t>(peak.Members, INT32_MAX))});
  }
}

// The parts' findings in list order: counts, table offers, peaks and visits.
void Join(std::span<PartCount> parts, VisitedList& visited, ResultTable* clusterTable,
          _RESULT_Waferon& results, std::vector<DefectRecord>& peaks) {
  std::int32_t centre = 0, side = 0;
  for (PartCount& part : parts) {
    centre += part.Centre;
    side += part.Side;
    for (const DefectRecord& p : part.Peaks) {
      if (clusterTable != nullptr) clusterTable->Offer(DefectRecord{p.X, p.Y, p.Score, p.Colour, 0});
      peaks.push_back(p);
    }
    for (const auto& [x, y] : part.Visited) visited.Add(x, y);
  }
  results.CenterClusters = centre;
  results.SideClusters = side;
  results.CenterPixels = 0;
  results.SidePixels = 0;
}

// Candidates counted per part of a split count: growth and lookups cost about
// as much as searching this many pixels.
constexpr std::int64_t kCandidateWork = 64;

// Where a list whose rows never go back up may be cut for a split count: the
// first record of each part, then the list's end. A cut lies between two rows
// and no growth can cross it: no record of the rows just above has a candidate
// below it (down left, down or down right) in the rows below the cut. Growth
// never moves up, so the parts then grow their clusters apart and the visits
// of one never change another. Fewer parts than asked where cuts are scarce;
// one part for a list whose rows go back up (runs appended to one another).
template <class Lookup>
std::vector<std::size_t> Cuts(std::span<const DefectRecord> records, const Lookup& lookup, std::int32_t step,
                              int parts) {
  const std::size_t n = records.size();
  std::vector<std::size_t> cuts{0};
  for (std::size_t k = 1; k < n; ++k) {
    if (records[k].Y < records[k - 1].Y) return {0, n};
  }
  const std::int64_t s = step;
  auto crossed = [&](std::size_t cut) {
    const std::int64_t below = records[cut].Y;
    for (std::size_t j = cut; j-- > 0 && records[j].Y + s >= below;) {
      for (std::int64_t dx = -1; dx <= 1; ++dx) {
        if (lookup.IsCandidate(records[j].X + dx * s, records[j].Y + s)) return true;
      }
    }
    return false;
  };
  // Each cut is looked for from where its part would begin to where the next
  // one would: a part without one joins the part before.
  const auto startOf = [&](int part) {
    return static_cast<std::size_t>(PartStart(0, static_cast<std::int64_t>(n), part, parts));
  };
  for (int part = 1; part < parts; ++part) {
    const std::size_t end = startOf(part + 1);
    std::size_t cut = std::max(cuts.back() + 1, startOf(part));
    while (cut < end && (records[cut].Y == records[cut - 1].Y || crossed(cut))) ++cut;
    if (cut < end) cuts.push_back(cut);
  }
  cuts.push_back(n);
  return cuts;
}

// The count over the list in parts on the analysis threads (one part: straight
// through, on the calling thread). `shared` answers for the whole list; each
// part asks its own view, made by view(shared, part's own count).
template <class Lookup, class View>
void CountInParts(const CandidateList& candidates, VisitedList& visited, Lookup& shared, const View& view,
                  ResultTable* clusterTable, const Geometry& regions, const _PARAMS_Waferon& params,
                  std::int32_t step, _RESULT_Waferon& results, std::vector<DefectRecord>& peaks) {
  const std::span<const DefectRecord> records(candidates.Records());
  const int asked = PartsFor(static_cast<std::int64_t>(records.size()), kCandidateWork);
  const std::vector<std::size_t> cuts =
      asked > 1 ? Cuts(records, shared, step, asked) : std::vector<std::size_t>{0, records.size()};
  const int parts = static_cast<int>(cuts.size()) - 1;
  std::vector<PartCount> found(static_cast<std::size_t>(parts));
  if (parts <= 1) {
    CountRange(records, shared, regions, params, step, found[0]);
  } else {
    RethrowFirst(RunParts(parts, [&](int part) {
      const auto k = static_cast<std::size_t>(part);
      auto mine = view(shared, found[k]);
      CountRange(records.subspan(cuts[k], cuts[k + 1] - cuts[k]), mine, regions, params, step, found[k]);
    }));
  }
  Join(found, visited, clusterTable, results, peaks);
}

}  // namespace

bool ZoneThreshold(const Geometry& regions, std::int32_t x, std::int32_t y,
                   const double (&centre)[5], const double (&side)[5], Zone& zone,
                   double& threshold) {
  zone = ZoneOf(regions, x, y);
  if (zone == Zone::None) return false;
  const std::int32_t site = BayerColourIndex(std::int64_t{x} - regions.SearchRegion.Left,
                                             std::int64_t{y} - regions.SearchRegion.Top);
  threshold = zone == Zone::Centre ? centre[site] : side[site];
  return true;
}

void CountClusters(const CandidateList& candidates, VisitedList& visited,
                   ResultTable* clusterTable, const Geometry& regions,
                   const _PARAMS_Waferon& params, std::int32_t step, _RESULT_Waferon& results,
                   std::vector<DefectRecord>& peaks, ClusterGrid* grid) {
  // Every candidate may join a cluster: room for all of them up front spares
  // the visited list its rehashing as it grows.
  visited.Reserve(visited.Size() + candidates.Size());
  candidates.IndexPositions();
  ClusterGrid ownMemory;
  GridLookup bits(candidates, visited, grid != nullptr ? *grid : ownMemory);
  if (bits.Usable()) {
    CountInParts(candidates, visited, bits, [](GridLookup& g, PartCount& part) { return GridPart(g, part.Visited); },
                 clusterTable, regions, params, step, results, peaks);
    return;
  }
  IndexLookup lookup(candidates, visited);
  CountInParts(
      candidates, visited, lookup,
      [&](IndexLookup&, PartCount& part) { return IndexLookup(candidates, visited, &part.Own, &part.Visited); },
      clusterTable, regions, params, step, results, peaks);
}

void CountSinglePixels(const CandidateList& candidates, VisitedList& visited,
                       const Geometry& regions, const _PARAMS_Waferon& params,
                       _RESULT_Waferon& results) {
  // A record counts when it is the first at its position and the position was
  // not visited before; every position is visited after. Read so, the records
  // are judged apart from one another, in parts on the analysis threads.
  candidates.IndexPositions();
  const std::span<const DefectRecord> records(candidates.Records());
  const auto n = static_cast<std::int64_t>(records.size());
  const int parts = PartsFor(n, kCandidateWork);
  std::vector<std::array<std::int32_t, 2>> counts(static_cast<std::size_t>(parts), {0, 0});
  RethrowFirst(RunParts(parts, [&](int part) {
    std::array<std::int32_t, 2>& mine = counts[static_cast<std::size_t>(part)];
    for (std::int64_t k = PartStart(0, n, part, parts); k < PartStart(0, n, part + 1, parts); ++k) {
      const DefectRecord& node = records[static_cast<std::size_t>(k)];
      if (visited.Contains(node.X, node.Y) || candidates.FirstAt(node.X, node.Y) != &node) continue;
      Zone zone;
      double threshold;
      if (ZoneThreshold(regions, node.X, node.Y, params.CenterPixelThreshold,
                        params.SidePixelThreshold, zone, threshold) &&
          threshold < node.Score) {
        ++mine[zone == Zone::Centre ? 0 : 1];
      }
    }
  }));
  std::int32_t centre = 0, side = 0;
  for (const auto& [c, s] : counts) {
    centre += c;
    side += s;
  }
  visited.AddAll(candidates);
  results.CenterPixels = centre;
  results.SidePixels = side;
}

}  // namespace sensor::waferon
