// Each library's Execute on a 48 MP (8000 x 6000) 32-bit picture with one and
// with two analysis threads (common/parallel_rows.h), so that one run shows the
// gain of the second thread: read .../threads:2 against .../threads:1 of the
// same case. The pictures are the shared flat fields; Waferon's get defects
// planted as in waferon_bench.cpp, so that its searches meet a few thousand
// candidates. Glazet's Execute includes painting the picture and writing the
// defect-map file beside the benchmark; its search alone is measured too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "bench_images.h"
#include "waferon_params.h"
#include "common/image_binding.h"
#include "common/levels.h"
#include "common/parallel_rows.h"
#include "quiet_console.h"
#include "glazet/core/bayer_search.h"
#include "glazet/core/colour_search.h"
#include "sensordefect/Glazet.h"
#include "sensordefect/Ostrel.h"
#include "sensordefect/Waferon.h"

namespace sensor::bench {
namespace {

using namespace SensorDefectDetectionClass;

constexpr std::int32_t kWidth = 8000, kHeight = 6000;

// The analyses' threads for one benchmark, the environment's choice again after.
class ThreadsForRun {
 public:
  explicit ThreadsForRun(const benchmark::State& state) { SetAnalysisThreads(static_cast<int>(state.range(2))); }
  ~ThreadsForRun() { SetAnalysisThreads(0); }
  ThreadsForRun(const ThreadsForRun&) = delete;
  ThreadsForRun& operator=(const ThreadsForRun&) = delete;
};

const BenchImage& Picture(bool bayer) {
  return bayer ? SharedBayerImage(kWidth, kHeight, 32) : SharedColourImage(kWidth, kHeight, 32);
}

// Arguments of every case: Bayer mode, local search, threads.
void BM_WaferonExecute48MP(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  static const BenchImage colour = WithDefects(Picture(false), false, 16000, 1600),
                          raw = WithDefects(Picture(true), true, 16000, 1600);
  const BenchImage& image = bayer ? raw : colour;
  std::vector<unsigned char> header = image.Header;
  const _PARAMS_Waferon p = WaferonBenchParams(bayer, local, 11);
  ThreadsForRun threads(state);
  QuietConsole quiet;
  _RESULT_Waferon result{};
  std::int32_t code = S_OK;
  for (auto _ : state) {
    Waferon library;
    library.Open(0);
    library.BindImage(header.data(), const_cast<unsigned char*>(image.Pixels.data()));
    library.set_TableSize(64);
    code = library.Execute(result, p, 1, 1, 1, 1, 1);
    library.Close();
  }
  if (code != S_OK) state.SkipWithError("Execute failed");
  state.counters["pixels"] = result.CenterPixels + result.SidePixels;
}

void BM_GlazetExecute48MP(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  const BenchImage& pristine = Picture(bayer);
  std::vector<unsigned char> header = pristine.Header;
  std::vector<unsigned char> pixels = pristine.Pixels;
  _PARAMS_Glazet p{};
  p.BayerMode = bayer;
  p.SensorBpp = p.TestBpp = 12;
  p.ColorPlane = bayer ? 0 : 1;
  p.OutlierLeft = p.OutlierTop = p.OutlierRight = p.OutlierBottom = 4;
  p.RoiRight = p.RoiBottom = 1.0;
  p.LocalSearch = local;
  p.HammerSmall = 5;
  p.HammerLarge = 15;
  p.DefectThreshold = 5.0;
  p.ClusterSize = 4;
  ThreadsForRun threads(state);
  QuietConsole quiet;
  Glazet glazet;
  glazet.Open(0);
  glazet.BindImage(header.data(), pixels.data());
  for (auto _ : state) {
    state.PauseTiming();  // Execute paints the picture
    std::memcpy(pixels.data(), pristine.Pixels.data(), pixels.size());
    state.ResumeTiming();
    _RESULT_Glazet result{};
    benchmark::DoNotOptimize(glazet.Execute(result, p));
  }
  glazet.Close();
}

// The search alone, of the Execute above: the part of its time the threads share.
void BM_GlazetSearch48MP(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  const BenchImage& image = Picture(bayer);
  std::vector<std::uint8_t> map(static_cast<std::size_t>(kWidth) * kHeight, 0);
  glazet::WindowSearchSetup setup;
  BindBitmap(image.Header.data(), const_cast<unsigned char*>(image.Pixels.data()), setup.Image);
  setup.ScanArea = Rect{4, 4, kWidth - 5, kHeight - 5};
  setup.RegionOfInterest = setup.Image.Bounds();
  setup.SmallSize = 5;
  setup.LargeSize = 15;
  setup.Threshold = 5.0;
  setup.Map = map.data();
  setup.Plane = bayer ? 0 : 1;
  setup.Sample = SampleRule::For(12, 12);
  setup.Reference = bayer ? BayerLevels(setup.Image, setup.ScanArea, 12, 12)[0]
                          : ColourLevels(setup.Image, setup.ScanArea)[1];
  using Search = std::int64_t (*)(const glazet::WindowSearchSetup&);
  const Search search = bayer ? (local ? glazet::LocalBayerSearch : glazet::GlobalBayerSearch)
                              : (local ? glazet::LocalColourSearch : glazet::GlobalColourSearch);
  ThreadsForRun threads(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(search(setup));
    benchmark::ClobberMemory();
  }
}

void BM_OstrelExecute48MP(benchmark::State& state) {
  const bool bayer = state.range(0) != 0;
  const BenchImage& image = Picture(bayer);
  ThreadsForRun threads(state);
  Ostrel library;
  library.Open(0);
  library.BindImage(const_cast<unsigned char*>(image.Header.data()), const_cast<unsigned char*>(image.Pixels.data()));
  _PARAMS_Ostrel p{};
  p.BayerMode = bayer;
  p.SensorBpp = p.TestBpp = 12;
  for (auto _ : state) {
    _RESULT_Ostrel result{};
    benchmark::DoNotOptimize(library.Execute(result, p));
  }
  library.Close();
}

void Cases(benchmark::internal::Benchmark* b, bool searches) {
  b->ArgNames({"bayer", "local", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
  for (int bayer = 0; bayer <= 1; ++bayer)
    for (int local = 0; local <= (searches ? 1 : 0); ++local)
      for (int threads = 1; threads <= 2; ++threads) b->Args({bayer, local, threads});
}

BENCHMARK(BM_WaferonExecute48MP)->Apply([](auto* b) { Cases(b, true); });
BENCHMARK(BM_GlazetExecute48MP)->Apply([](auto* b) { Cases(b, true); });
BENCHMARK(BM_GlazetSearch48MP)->Apply([](auto* b) { Cases(b, true); });
BENCHMARK(BM_OstrelExecute48MP)->Apply([](auto* b) { Cases(b, false); });

}  // namespace
}  // namespace sensor::bench
