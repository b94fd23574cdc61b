// The package library on a 4000 x 3000 32-bit picture: a whole Execute (level
// statistics, search, painting, the defect-map file and the cluster count) and
// the search alone, in all four searches with windows 5,15 and 15,63. Read
// against BM_ReadPass/4000/3000/32.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "glazet/core/bayer_search.h"
#include "bench_images.h"
#include "glazet/core/clusters.h"
#include "glazet/core/colour_search.h"
#include "glazet/core/pipeline.h"
#include "glazet/core/working_state.h"
#include "common/image_binding.h"
#include "common/levels.h"
#include "page_faults.h"
#include "quiet_console.h"
#include "sensordefect/Glazet.h"

namespace sensor::bench {
namespace {

using namespace SensorDefectDetectionClass;

constexpr std::int32_t kWidth = 4000;
constexpr std::int32_t kHeight = 3000;

struct Case {
  bool Bayer;
  bool Local;
  std::int32_t Small;
  std::int32_t Large;

  static Case From(const benchmark::State& state) {
    return Case{state.range(0) != 0, state.range(1) != 0, static_cast<std::int32_t>(state.range(2)),
                static_cast<std::int32_t>(state.range(3))};
  }
  const BenchImage& Image() const {
    return Bayer ? SharedBayerImage(kWidth, kHeight, 32) : SharedColourImage(kWidth, kHeight, 32);
  }
  _PARAMS_Glazet Params() const {
    _PARAMS_Glazet p{};
    p.BayerMode = Bayer;
    p.SensorBpp = 12;
    p.TestBpp = 12;
    p.ColorPlane = Bayer ? 0 : 1;
    p.OutlierLeft = p.OutlierTop = p.OutlierRight = p.OutlierBottom = 4;
    p.RoiLeft = p.RoiTop = 0.0;
    p.RoiRight = p.RoiBottom = 1.0;
    p.LocalSearch = Local;
    p.HammerSmall = Small;
    p.HammerLarge = Large;
    p.DefectThreshold = 5.0;
    p.ClusterSize = 4;
    return p;
  }
};

void BM_GlazetExecute(benchmark::State& state) {
  const Case c = Case::From(state);
  const BenchImage& pristine = c.Image();
  std::vector<unsigned char> header = pristine.Header;
  std::vector<unsigned char> pixels = pristine.Pixels;
  QuietConsole quiet;
  Glazet glazet;
  glazet.Open(0);
  glazet.BindImage(header.data(), pixels.data());
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(pixels.data(), pristine.Pixels.data(), pixels.size());
    state.ResumeTiming();
    _RESULT_Glazet result{};
    benchmark::DoNotOptimize(glazet.Execute(result, c.Params()));
    benchmark::DoNotOptimize(result.numpackagefects);
  }
  ReportPageFaults(state, faults);
  glazet.Close();
}

void BM_GlazetSearch(benchmark::State& state) {
  const Case c = Case::From(state);
  const BenchImage& image = c.Image();
  std::vector<unsigned char> pixels = image.Pixels;
  std::vector<std::uint8_t> map(static_cast<std::size_t>(kWidth) * kHeight, 0);
  glazet::WindowSearchSetup setup;
  BindBitmap(image.Header.data(), pixels.data(), setup.Image);
  setup.ScanArea = Rect{4, 4, kWidth - 5, kHeight - 5};
  setup.RegionOfInterest = Rect{0, 0, kWidth - 1, kHeight - 1};
  setup.SmallSize = c.Small;
  setup.LargeSize = c.Large;
  setup.Threshold = 5.0;
  setup.Map = map.data();
  if (c.Bayer) {
    setup.Plane = 0;
    setup.Sample = SampleRule::For(12, 12);
    setup.Reference = BayerLevels(setup.Image, setup.ScanArea, 12, 12)[0];
  } else {
    setup.Plane = 1;
    setup.Reference = ColourLevels(setup.Image, setup.ScanArea)[1];
  }
  using Search = std::int64_t (*)(const glazet::WindowSearchSetup&);
  const Search search = c.Bayer ? (c.Local ? glazet::LocalBayerSearch : glazet::GlobalBayerSearch)
                                : (c.Local ? glazet::LocalColourSearch : glazet::GlobalColourSearch);
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    benchmark::DoNotOptimize(search(setup));
    benchmark::ClobberMemory();
  }
  ReportPageFaults(state, faults);
}

// The stages of the library's part of an Execute, each timed alone on the
// state a run leaves: 0 the level statistics, 1 the defect map made ready
// (a reused one zeroed), 2 the search, 3 the cluster count of the search's
// map, 4 the whole analysis (stages 0 to 3 with their checks). What the
// station's Execute spends beyond stage 4 is the painting and the map file.
void BM_GlazetStage(benchmark::State& state) {
  const Case c = Case::From(state);
  const int stage = static_cast<int>(state.range(4));
  const BenchImage& image = c.Image();
  std::vector<unsigned char> pixels = image.Pixels;
  glazet::WorkingState work;
  BindBitmap(image.Header.data(), pixels.data(), work.Binding);
  work.CandidateLimit = 65535;
  work.KeepScratch = true;
  const _PARAMS_Glazet params = c.Params();
  const glazet::RunOutcome first = glazet::Analyse(work, params);  // memory made, map marked
  const std::size_t mapBytes = static_cast<std::size_t>(kWidth) * kHeight;
  std::vector<std::uint8_t> marked(mapBytes);
  glazet::WindowSearchSetup setup;
  setup.Image = work.Binding;
  setup.ScanArea = first.ScanArea;
  setup.RegionOfInterest = first.RegionOfInterest;
  setup.SmallSize = c.Small;
  setup.LargeSize = c.Large;
  setup.Threshold = params.DefectThreshold;
  setup.Plane = c.Bayer ? params.ColorPlane : first.ColorPlane;  // colour: the byte offset
  setup.Sample = SampleRule::For(params.SensorBpp, params.TestBpp);
  setup.Reference = first.Levels[static_cast<std::size_t>(params.ColorPlane)];
  setup.Scratch = &work.Scratch;
  const auto search = c.Bayer ? (c.Local ? glazet::LocalBayerSearch : glazet::GlobalBayerSearch)
                              : (c.Local ? glazet::LocalColourSearch : glazet::GlobalColourSearch);
  work.Map.Allocate(kWidth, kHeight);
  setup.Map = work.Map.Data();
  search(setup);
  std::memcpy(marked.data(), work.Map.Data(), mapBytes);
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    switch (stage) {
      case 0:
        benchmark::DoNotOptimize(c.Bayer ? BayerLevels(work.Binding, first.ScanArea, 12, 12)
                                         : ColourLevels(work.Binding, first.ScanArea));
        break;
      case 1: benchmark::DoNotOptimize(work.Map.Allocate(kWidth, kHeight)); break;
      case 2: benchmark::DoNotOptimize(search(setup)); break;
      case 3:
        state.PauseTiming();
        std::memcpy(work.Map.Data(), marked.data(), mapBytes);
        state.ResumeTiming();
        benchmark::DoNotOptimize(glazet::CountClusters(work.Map.Data(), kWidth, kHeight, c.Bayer ? 2 : 1, 4));
        break;
      default: benchmark::DoNotOptimize(glazet::Analyse(work, params).Candidates); break;
    }
    benchmark::ClobberMemory();
  }
  ReportPageFaults(state, faults);
}

void Cases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"bayer", "local", "small", "large"});
  for (int bayer : {1, 0})
    for (int local : {0, 1})
      for (auto sizes : {std::pair{5, 15}, std::pair{15, 63}})
        b->Args({bayer, local, sizes.first, sizes.second});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_GlazetExecute)->Apply(Cases);
BENCHMARK(BM_GlazetSearch)->Apply(Cases);
BENCHMARK(BM_GlazetStage)->Apply([](benchmark::internal::Benchmark* b) {
  b->ArgNames({"bayer", "local", "small", "large", "stage"});
  for (int bayer : {0, 1})
    for (auto sizes : {std::pair{5, 15}, std::pair{15, 63}})
      for (int stage = 0; stage <= 4; ++stage) b->Args({bayer, 1, sizes.first, sizes.second, stage});
  b->Unit(benchmark::kMillisecond);
});

}  // namespace
}  // namespace sensor::bench
