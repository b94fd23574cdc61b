// The floor: the fastest read pass of the pixel buffer that the analyses work
// on, and one copy of it. Every analysis benchmark is read against these.
//
// The read pass is a plain sum of the buffer's 64-bit words with eight
// independent accumulators, 32-byte loads where the processor has AVX2 and
// 16-byte loads otherwise, so that the sum's own dependency chain never holds
// back the loads: what it measures is how fast this machine reads memory.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_images.h"
#include "page_faults.h"

namespace sensor::bench {
namespace {

__attribute__((target("avx2"))) std::uint64_t SumWordsAvx2(const unsigned char* bytes,
                                                           std::size_t size) {
  __m256i a[8];
  for (__m256i& v : a) v = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 256 <= size; i += 256)
    for (int k = 0; k < 8; ++k)
      a[k] = _mm256_add_epi64(
          a[k], _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i + 32 * k)));
  for (int k = 1; k < 8; ++k) a[0] = _mm256_add_epi64(a[0], a[k]);
  std::uint64_t lanes[4];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), a[0]);
  std::uint64_t sum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
  for (; i < size; ++i) sum += bytes[i];
  return sum;
}

std::uint64_t SumWordsSse2(const unsigned char* bytes, std::size_t size) {
  __m128i a[8];
  for (__m128i& v : a) v = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 128 <= size; i += 128)
    for (int k = 0; k < 8; ++k)
      a[k] = _mm_add_epi64(a[k],
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 16 * k)));
  for (int k = 1; k < 8; ++k) a[0] = _mm_add_epi64(a[0], a[k]);
  std::uint64_t lanes[2];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), a[0]);
  std::uint64_t sum = lanes[0] + lanes[1];
  for (; i < size; ++i) sum += bytes[i];
  return sum;
}

void BM_ReadPass(benchmark::State& state) {
  const BenchImage& image = SharedColourImage(static_cast<int>(state.range(0)),
                                              static_cast<int>(state.range(1)),
                                              static_cast<int>(state.range(2)));
  const bool avx2 = __builtin_cpu_supports("avx2");
  state.SetLabel(avx2 ? "avx2" : "sse2");
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    const std::uint64_t sum = avx2 ? SumWordsAvx2(image.Pixels.data(), image.Pixels.size())
                                   : SumWordsSse2(image.Pixels.data(), image.Pixels.size());
    benchmark::DoNotOptimize(sum);
  }
  ReportPageFaults(state, faults);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.Pixels.size()));
}

void BM_CopyPass(benchmark::State& state) {
  const BenchImage& image = SharedColourImage(static_cast<int>(state.range(0)),
                                              static_cast<int>(state.range(1)),
                                              static_cast<int>(state.range(2)));
  std::vector<unsigned char> target(image.Pixels.size());  // touched once, before the loop
  const long faults = ThreadPageFaults();
  for (auto _ : state) {
    std::memcpy(target.data(), image.Pixels.data(), image.Pixels.size());
    benchmark::ClobberMemory();
  }
  ReportPageFaults(state, faults);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.Pixels.size()));
}

BENCHMARK(BM_ReadPass)->Args({4000, 3000, 32})->Args({4000, 3000, 24})->Args({8000, 6000, 32})->Args({8000, 6000, 24})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPass)->Args({4000, 3000, 32})->Args({4000, 3000, 24})->Args({8000, 6000, 32})->Args({8000, 6000, 24})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
