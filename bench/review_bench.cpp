// The review picture (-ReviewImage) at 48 MP: the picture shrunk to its
// backdrop, and the drawn review encoded as PNG at libpng's default
// compression (speed 0) and for speed (1). Read against BM_ReadPass/8000/6000/32
// of the same run; wall time, on the analysis threads (SENSOR_THREADS).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_images.h"
#include "common/frontend_interface.h"
#include "frontend/products/png_file.h"
#include "frontend/products/review/review_image.h"

namespace sensor::bench {
namespace {

const BenchImage& Picture(bool bayer) {
  return bayer ? SharedBayerImage(8000, 6000, 32) : SharedColourImage(8000, 6000, 32);
}

review::ReviewBackdrop Backdrop(bool bayer) {
  const BenchImage& image = Picture(bayer);
  ImageBinding binding;
  BindBitmap(const_cast<unsigned char*>(image.Header.data()), const_cast<unsigned char*>(image.Pixels.data()),
             binding);
  return review::MakeBackdrop(binding, review::PictureReading{bayer, 12});
}

void BM_ReviewShrink48MP(benchmark::State& state) {
  const bool bayer = state.range(0) != 0;
  Picture(bayer);  // made before the timing
  for (auto _ : state) benchmark::DoNotOptimize(Backdrop(bayer));
}

void BM_ReviewPng48MP(benchmark::State& state) {
  const bool bayer = state.range(0) != 0;
  review::ReviewInput input;
  input.Program = "bench";
  const review::Canvas canvas = review::DrawReview(Backdrop(bayer), input);
  frontend::PngPicture picture;
  picture.Width = static_cast<std::uint32_t>(canvas.Width());
  picture.Height = static_cast<std::uint32_t>(canvas.Height());
  picture.Colour = true;
  picture.Speed = state.range(1) != 0 ? frontend::PngSpeed::Fast : frontend::PngSpeed::Smallest;
  picture.Rows.assign(canvas.Row(0), canvas.Row(0) + picture.RowBytes() * picture.Height);
  std::string problem;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::optional<std::string> file = frontend::EncodePng(picture, problem);
    if (!file) state.SkipWithError(problem.c_str());
    bytes = file ? file->size() : 0;
  }
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["raw_MB"] = static_cast<double>(picture.Rows.size()) / 1e6;
}

BENCHMARK(BM_ReviewShrink48MP)->ArgName("bayer")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReviewPng48MP)->ArgNames({"bayer", "fast"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sensor::bench
