// The level library's measurement against one read pass of the same buffer
// (BM_ReadPass/4000/3000/32 in floor_bench.cpp).
#include <benchmark/benchmark.h>

#include "bench_images.h"
#include "page_faults.h"
#include "sensordefect/Ostrel.h"

namespace sensor::bench {
namespace {

using namespace SensorDefectDetectionClass;

void RunOstrel(benchmark::State& state, bool bayerMode) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const int bits = static_cast<int>(state.range(2));
  // The very buffer the floor and OpenCV read, so that all three meet the
  // same pages; Execute only reads it.
  const BenchImage& image = bayerMode ? SharedBayerImage(width, height, bits)
                                      : SharedColourImage(width, height, bits);
  Ostrel lib{};
  lib.Open(0);
  lib.BindImage(const_cast<unsigned char*>(image.Header.data()), const_cast<unsigned char*>(image.Pixels.data()));
  _PARAMS_Ostrel params{};
  params.BayerMode = bayerMode;
  params.SensorBpp = 12;
  params.TestBpp = 12;
  _RESULT_Ostrel result{};
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    benchmark::DoNotOptimize(lib.Execute(result, params));
  }
  ReportPageFaults(state, faults);
  double r = 0, g = 0, b = 0, g1 = 0, g2 = 0;
  lib.get_Ostrel(&r, &g, &b, &g1, &g2);
  benchmark::DoNotOptimize(r + g + b + g1 + g2);
  lib.Close();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.Pixels.size()));
}

void BM_OstrelColour(benchmark::State& state) { RunOstrel(state, false); }
void BM_OstrelBayer(benchmark::State& state) { RunOstrel(state, true); }

BENCHMARK(BM_OstrelColour)->Args({4000, 3000, 32})->Args({4000, 3000, 24})->Args({8000, 6000, 32})->Args({8000, 6000, 24})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OstrelBayer)->Args({4000, 3000, 32})->Args({4000, 3000, 24})->Args({8000, 6000, 32})->Args({8000, 6000, 24})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
