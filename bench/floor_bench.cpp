// The floor: one plain read pass and one copy of the pixel buffer that the
// analyses work on. Every analysis benchmark is read against these.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_images.h"

namespace sensor::bench {
namespace {

void BM_ReadPass(benchmark::State& state) {
  const BenchImage& image = SharedColourImage(static_cast<int>(state.range(0)),
                                              static_cast<int>(state.range(1)),
                                              static_cast<int>(state.range(2)));
  const auto* words = reinterpret_cast<const std::uint64_t*>(image.Pixels.data());
  const std::size_t n = image.Pixels.size() / 8;
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += words[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.Pixels.size()));
}

void BM_CopyPass(benchmark::State& state) {
  const BenchImage& image = SharedColourImage(static_cast<int>(state.range(0)),
                                              static_cast<int>(state.range(1)),
                                              static_cast<int>(state.range(2)));
  std::vector<unsigned char> target(image.Pixels.size());
  for (auto _ : state) {
    std::memcpy(target.data(), image.Pixels.data(), image.Pixels.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.Pixels.size()));
}

BENCHMARK(BM_ReadPass)->Args({4000, 3000, 32})->Args({4000, 3000, 24})->Args({8000, 6000, 32})->Args({8000, 6000, 24})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPass)->Args({4000, 3000, 32})->Args({4000, 3000, 24})->Args({8000, 6000, 32})->Args({8000, 6000, 24})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
