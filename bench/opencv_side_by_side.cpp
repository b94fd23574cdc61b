// OpenCV's single-thread primitives for the same work as the analyses, on the
// same buffers, so that every figure of ours has a counterpart from the field's
// standard library: means (levels), per-Bayer-position means on strided views,
// box means of one plane with the band comparison (the window searches), the
// integral image, and connected components (the cluster passes). Built only
// when CMake finds OpenCV; the libraries never link it.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "bench_images.h"

namespace sensor::bench {
namespace {

// One thread for every OpenCV call: the analyses run on one.
const bool kOneThread = [] {
  cv::setNumThreads(0);
  return true;
}();

std::size_t StrideOf(const BenchImage& image) { return image.Pixels.size() / image.Height; }

cv::Mat ColourView(const BenchImage& image) {
  return cv::Mat(image.Height, image.Width, image.BitCount == 32 ? CV_8UC4 : CV_8UC3,
                 const_cast<unsigned char*>(image.Pixels.data()), StrideOf(image));
}

// The sites of one Bayer position (row parity py, column parity px) as a
// strided view whose first 16-bit channel is the stored two-byte sample.
cv::Mat SiteView(const BenchImage& image, int px, int py) {
  const int bpp = image.BitCount / 8;
  const int columns = (image.Width - px + 1) / 2, rows = (image.Height - py + 1) / 2;
  unsigned char* origin = const_cast<unsigned char*>(image.Pixels.data()) +
                          static_cast<std::size_t>(py) * StrideOf(image) +
                          static_cast<std::size_t>(px) * bpp;
  // Two pixels are 8 bytes (four 16-bit channels) or 6 bytes (three).
  return cv::Mat(rows, columns, bpp == 4 ? CV_16UC4 : CV_16UC3, origin, 2 * StrideOf(image));
}

cv::Mat SitePlane(const BenchImage& image, int px, int py) {
  cv::Mat plane;
  cv::extractChannel(SiteView(image, px, py), plane, 0);
  return plane;
}

cv::Mat ChannelPlane(const BenchImage& image, int channel) {
  cv::Mat plane;
  cv::extractChannel(ColourView(image), plane, channel);
  return plane;
}

const BenchImage& ImageFor(const benchmark::State& state, bool bayer) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int bits = static_cast<int>(state.range(2));
  return bayer ? SharedBayerImage(w, h, bits) : SharedColourImage(w, h, bits);
}

// Counterpart of the colour levels: one cv::mean over the picture.
void BM_OpenCvMean(benchmark::State& state) {
  const cv::Mat view = ColourView(ImageFor(state, false));
  for (auto _ : state) benchmark::DoNotOptimize(cv::mean(view));
}

// Counterpart of the Bayer levels: a mean per Bayer position on strided views.
void BM_OpenCvBayerMeans(benchmark::State& state) {
  const BenchImage& image = ImageFor(state, true);
  for (auto _ : state) {
    for (int py = 0; py < 2; ++py) {
      if (image.BitCount == 32) {
        benchmark::DoNotOptimize(cv::mean(SiteView(image, 0, py)));  // channels 0 and 2
      } else {
        benchmark::DoNotOptimize(cv::mean(SiteView(image, 0, py)));
        benchmark::DoNotOptimize(cv::mean(SiteView(image, 1, py)));
      }
    }
  }
}

// Box mean of `size` x `size` samples, in single precision.
cv::Mat BoxMean(const cv::Mat& plane, int size) {
  cv::Mat mean;
  cv::boxFilter(plane, mean, CV_32F, cv::Size(size, size), cv::Point(-1, -1), true,
                cv::BORDER_REPLICATE);
  return mean;
}

// Global route: the box mean against a fixed band.
int GlobalRoute(const cv::Mat& plane, int size, double low, double high) {
  cv::Mat inside;
  cv::inRange(BoxMean(plane, size), low, high, inside);
  return cv::countNonZero(inside);
}

// Local route: the small box mean against the band around the large one.
int LocalRoute(const cv::Mat& plane, int small, int large, double percent) {
  const cv::Mat inner = BoxMean(plane, small), outer = BoxMean(plane, large);
  cv::Mat lowBound, highBound, below, above;
  outer.convertTo(lowBound, CV_32F, (100.0 - percent) / 100.0);
  outer.convertTo(highBound, CV_32F, (100.0 + percent) / 100.0);
  cv::compare(inner, lowBound, below, cv::CMP_LT);
  cv::compare(inner, highBound, above, cv::CMP_GT);
  cv::bitwise_or(below, above, below);
  return cv::countNonZero(below);
}

// Local route of the chip search: the mean of the other samples of one box,
// and the sample's distance from it against a share of that mean.
int OthersRoute(const cv::Mat& plane, int size, double percent) {
  cv::Mat own, sum, others, distance, limit, outside;
  plane.convertTo(own, CV_32F);
  cv::boxFilter(plane, sum, CV_32F, cv::Size(size, size), cv::Point(-1, -1), false,
                cv::BORDER_REPLICATE);
  cv::subtract(sum, own, others);
  others.convertTo(others, CV_32F, 1.0 / (size * size - 1));
  cv::absdiff(own, others, distance);
  others.convertTo(limit, CV_32F, percent / 100.0);
  cv::compare(distance, limit, outside, cv::CMP_GT);
  return cv::countNonZero(outside);
}

// Arguments as BM_GlazetSearch (Bayer, local, small, large) on 4000 x 3000 x 32:
// one plane, ColorPlane 0 in Bayer mode (its sites' windows as boxes of the
// site plane), green in colour mode.
void BM_OpenCvGlazetRoute(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  const int small = static_cast<int>(state.range(2)), large = static_cast<int>(state.range(3));
  const BenchImage& image = bayer ? SharedBayerImage(4000, 3000, 32) : SharedColourImage(4000, 3000, 32);
  // Across a window: (s & ~1) + 1 sites of the site plane, or s / 2 * 2 + 1 pixels.
  auto sites = [bayer](int s) { return bayer ? (s & ~1) + 1 : s / 2 * 2 + 1; };
  const double level = bayer ? 32000.0 : 140.0;
  for (auto _ : state) {
    const cv::Mat plane = bayer ? SitePlane(image, 0, 0) : ChannelPlane(image, 1);
    benchmark::DoNotOptimize(local ? LocalRoute(plane, sites(small), sites(large), 5.0)
                                   : GlobalRoute(plane, sites(small), level * 0.95, level * 1.05));
  }
}

// Arguments as BM_WaferonExecute (Bayer, local, HammerSize): every plane, the
// four Bayer positions or the three channels.
void BM_OpenCvWaferonRoute(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  const int hammer = static_cast<int>(state.range(2));
  const BenchImage& image = bayer ? SharedBayerImage(4000, 3000, 32) : SharedColourImage(4000, 3000, 32);
  const int size = bayer ? (hammer & ~1) + 1 : hammer / 2 * 2 + 1;
  for (auto _ : state) {
    std::vector<cv::Mat> planes;
    if (bayer) {
      for (int py = 0; py < 2; ++py)
        for (int px = 0; px < 2; ++px) planes.push_back(SitePlane(image, px, py));
    } else {
      cv::split(ColourView(image), planes);
      planes.resize(3);
    }
    int count = 0;
    for (const cv::Mat& plane : planes) {
      if (local) {
        count += OthersRoute(plane, size, 5.0);
      } else {
        cv::Mat distance, outside;
        cv::absdiff(plane, cv::Scalar(bayer ? 32000 : 140), distance);
        cv::compare(distance, bayer ? 1600 : 7, outside, cv::CMP_GT);
        count += cv::countNonZero(outside);
      }
    }
    benchmark::DoNotOptimize(count);
  }
}

// The summed-area table of one channel, for reference beside the window sums.
void BM_OpenCvIntegral(benchmark::State& state) {
  const BenchImage& image = ImageFor(state, false);
  for (auto _ : state) {
    cv::Mat sums;
    cv::integral(ChannelPlane(image, 1), sums, CV_32S);
    benchmark::DoNotOptimize(sums.data);
  }
}

// Counterpart of the two cluster passes on the same 60,000-mark map.
void BM_OpenCvConnectedComponents(benchmark::State& state) {
  const std::vector<std::uint8_t> map = MakeDefectMap(4000, 3000, 60000, 1);
  const cv::Mat view(3000, 4000, CV_8U, const_cast<std::uint8_t*>(map.data()));
  cv::Mat labels;
  int regions = 0;
  for (auto _ : state) {
    regions = cv::connectedComponents(view, labels, 8, CV_32S);
    benchmark::DoNotOptimize(labels.data);
  }
  state.counters["regions"] = regions - 1;
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (auto size : {std::pair{4000, 3000}, std::pair{8000, 6000}})
    for (int bits : {32, 24}) b->Args({size.first, size.second, bits});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OpenCvMean)->Apply(Sizes);
BENCHMARK(BM_OpenCvBayerMeans)->Apply(Sizes);
BENCHMARK(BM_OpenCvIntegral)->Args({4000, 3000, 32})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCvGlazetRoute)
    ->ArgNames({"bayer", "local", "small", "large"})
    ->Args({1, 0, 5, 15})->Args({1, 0, 15, 63})->Args({1, 1, 5, 15})->Args({1, 1, 15, 63})
    ->Args({0, 0, 5, 15})->Args({0, 0, 15, 63})->Args({0, 1, 5, 15})->Args({0, 1, 15, 63})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCvWaferonRoute)
    ->ArgNames({"bayer", "local", "hammer"})
    ->Args({1, 0, 11})->Args({1, 0, 31})->Args({1, 1, 11})->Args({1, 1, 31})
    ->Args({0, 0, 11})->Args({0, 0, 31})->Args({0, 1, 11})->Args({0, 1, 31})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCvConnectedComponents)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
