// The two cluster passes alone on a 4000 x 3000 map with 60,000 marked pixels:
// the package library's region count (which clears the map it walks) and the
// chip library's cluster growth over a candidate list of the same positions.
// Read against BM_OpenCvConnectedComponents on the same map.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_images.h"
#include "glazet/core/clusters.h"
#include "page_faults.h"
#include "waferon/core/clusters.h"

namespace sensor::bench {
namespace {

constexpr std::int32_t kWidth = 4000, kHeight = 3000;
constexpr std::int64_t kMarks = 60000;

const std::vector<std::uint8_t>& SharedMap() {
  static const std::vector<std::uint8_t> map = MakeDefectMap(kWidth, kHeight, kMarks, 1);
  return map;
}

void BM_GlazetClusterCount(benchmark::State& state) {
  const std::vector<std::uint8_t>& pristine = SharedMap();
  std::vector<std::uint8_t> map(pristine.size());
  std::int32_t regions = 0;
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(map.data(), pristine.data(), map.size());
    state.ResumeTiming();
    regions = glazet::CountClusters(map.data(), kWidth, kHeight, 1, 0);
    benchmark::DoNotOptimize(regions);
  }
  ReportPageFaults(state, faults);
  state.counters["regions"] = regions;
}

// The blemish findings a host may ask for after a run: the counted map's
// regions described again (get_Findings).
void BM_GlazetBlemishFindings(benchmark::State& state) {
  std::vector<std::uint8_t> counted = SharedMap();
  glazet::CountClusters(counted.data(), kWidth, kHeight, 1, 0);
  std::vector<std::uint8_t> map(counted.size());
  std::vector<SensorDefectDetectionClass::BlemishFinding> found;
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(map.data(), counted.data(), map.size());
    state.ResumeTiming();
    found.clear();
    glazet::DescribeCountedClusters(map.data(), kWidth, kHeight, 1, 0, found);
    benchmark::DoNotOptimize(found.data());
  }
  ReportPageFaults(state, faults);
  state.counters["regions"] = static_cast<double>(found.size());
}

void BM_WaferonClusterGrowth(benchmark::State& state) {
  using namespace waferon;
  const std::vector<std::uint8_t>& map = SharedMap();
  CandidateList candidates;
  for (std::int32_t y = 0; y < kHeight; ++y)
    for (std::int32_t x = 0; x < kWidth; ++x)
      if (map[static_cast<std::size_t>(y) * kWidth + x] != 0)
        candidates.Append(DefectRecord{x, y, 10.0 + (x * 7 + y * 13) % 50, 0, 0});
  const Geometry regions{Rect{0, 0, kWidth - 1, kHeight - 1},
                         Rect{kWidth / 4, kHeight / 4, 3 * kWidth / 4, 3 * kHeight / 4}};
  _PARAMS_Waferon params{};
  for (int c = 0; c < 5; ++c) {
    params.CenterClusterThreshold[c] = params.SideClusterThreshold[c] = 20.0;
    params.CenterPixelThreshold[c] = params.SidePixelThreshold[c] = 20.0;
  }
  params.ClusterSize = 2;
  _RESULT_Waferon result{};
  ClusterGrid grid;  // kept from run to run, as the library keeps it
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    // A fresh visited list and table, as every opening of the library starts
    // with: the count marks what it visits, so a reused list would find every
    // cluster taken already.
    VisitedList visited;
    ResultTable table(64);
    std::vector<DefectRecord> peaks;
    CountClusters(candidates, visited, &table, regions, params, 1, result, peaks, &grid);
    benchmark::DoNotOptimize(result.CenterClusters);
  }
  ReportPageFaults(state, faults);
  state.counters["clusters"] = result.CenterClusters + result.SideClusters;
}

BENCHMARK(BM_GlazetClusterCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlazetBlemishFindings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaferonClusterGrowth)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
