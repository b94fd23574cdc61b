// The chip library's Execute on a 4000 x 3000 32-bit picture, in each of the
// four searches with HammerSize 11 and 31. The picture is the shared flat field
// with seeded defects planted in it: single pixels and small clusters far
// outside the noise, so that the thresholds give a few thousand candidates as
// a real sensor would. Read against BM_ReadPass/4000/3000/32.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "bench_images.h"
#include "waferon_params.h"
#include "page_faults.h"
#include "sensordefect/Waferon.h"

namespace sensor::bench {
namespace {

using namespace SensorDefectDetectionClass;

constexpr std::int32_t kWidth = 4000, kHeight = 3000;
constexpr int kSingles = 4000, kClusters = 400;

// The shared picture with defects planted (bench_images.h), made once.
const BenchImage& DefectImage(bool bayer) {
  static const BenchImage colour = WithDefects(SharedColourImage(kWidth, kHeight, 32), false, kSingles, kClusters);
  static const BenchImage raw = WithDefects(SharedBayerImage(kWidth, kHeight, 32), true, kSingles, kClusters);
  return bayer ? raw : colour;
}


// Arguments: Bayer mode, local search, HammerSize.
void BM_WaferonExecute(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  const BenchImage& image = DefectImage(bayer);
  std::vector<unsigned char> header = image.Header;
  std::vector<unsigned char> pixels = image.Pixels;
  const _PARAMS_Waferon params = WaferonBenchParams(bayer, local, static_cast<std::int32_t>(state.range(2)));
  _RESULT_Waferon result{};
  std::int32_t code = S_OK;
  // One opening per picture, as a host runs it: the candidate and visited
  // lists last until Close, so a second Execute in one opening would start
  // from the first one's lists. Their memory is the library's own, made inside
  // every run as a host sees it; the picture is the benchmark's, made once.
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    Waferon library;
    library.Open(0);
    library.BindImage(header.data(), pixels.data());
    library.set_TableSize(64);
    code = library.Execute(result, params, 1, 1, 1, 1, 1);
    library.Close();
  }
  ReportPageFaults(state, faults);
  if (code != S_OK) state.SkipWithError("Execute failed");
  state.counters["clusters"] = result.CenterClusters + result.SideClusters;
  state.counters["pixels"] = result.CenterPixels + result.SidePixels;
}

BENCHMARK(BM_WaferonExecute)
    ->ArgNames({"bayer", "local", "hammer"})
    ->Args({1, 0, 11})
    ->Args({1, 0, 31})
    ->Args({1, 1, 11})
    ->Args({1, 1, 31})
    ->Args({0, 0, 11})
    ->Args({0, 0, 31})
    ->Args({0, 1, 11})
    ->Args({0, 1, 31})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
