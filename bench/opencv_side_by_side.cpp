// OpenCV's single-thread primitives for the same work as the analyses, on the
// same buffers, so that every figure of ours has a counterpart from the field's
// standard library: means (levels), per-Bayer-position means on strided views,
// box means of one plane with the band comparison (the window searches), the
// integral image, and connected components (the cluster passes). Built only
// when CMake finds OpenCV; the libraries never link it.
//
// Every output and working matrix is made once, by a first run before the
// timed loop, and reused by every timed run (cv::Mat::create keeps a matrix
// of the right size and type), as a user who cares about speed would: a fresh
// matrix per run would time the first touch of its pages, not OpenCV. What
// OpenCV allocates inside a call it allocates in every run, as our libraries
// do inside Execute.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "bench_images.h"
#include "page_faults.h"

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
// strided view whose first 16-bit channel is the stored two-byte sample. In a
// 32-bit picture the third channel of the px = 0 view is the px = 1 site.
cv::Mat SiteView(const BenchImage& image, int px, int py) {
  const int bpp = image.BitCount / 8;
  const int columns = (image.Width - px + 1) / 2, rows = (image.Height - py + 1) / 2;
  unsigned char* origin = const_cast<unsigned char*>(image.Pixels.data()) +
                          static_cast<std::size_t>(py) * StrideOf(image) +
                          static_cast<std::size_t>(px) * bpp;
  // Two pixels are 8 bytes (four 16-bit channels) or 6 bytes (three).
  return cv::Mat(rows, columns, bpp == 4 ? CV_16UC4 : CV_16UC3, origin, 2 * StrideOf(image));
}

const BenchImage& ImageFor(const benchmark::State& state, bool bayer) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int bits = static_cast<int>(state.range(2));
  return bayer ? SharedBayerImage(w, h, bits) : SharedColourImage(w, h, bits);
}

// Runs `route` once untimed (it makes the matrices it keeps) and then timed.
template <class Route>
void Timed(benchmark::State& state, Route&& route) {
  benchmark::DoNotOptimize(route());
  const long faults = ThreadPageFaults();
  for (auto _ : state) benchmark::DoNotOptimize(route());
  ReportPageFaults(state, faults);
}

// Counterpart of the colour levels: one cv::mean over the picture.
void BM_OpenCvMean(benchmark::State& state) {
  const cv::Mat view = ColourView(ImageFor(state, false));
  Timed(state, [&] { return cv::mean(view); });
}

// Counterpart of the Bayer levels: a mean per Bayer position on strided views.
void BM_OpenCvBayerMeans(benchmark::State& state) {
  const BenchImage& image = ImageFor(state, true);
  Timed(state, [&] {
    cv::Scalar sum;
    for (int py = 0; py < 2; ++py) {
      sum += cv::mean(SiteView(image, 0, py));  // 32-bit: channels 0 and 2
      if (image.BitCount != 32) sum += cv::mean(SiteView(image, 1, py));
    }
    return sum;
  });
}

// The working matrices of the window routes.
struct BoxWork {
  cv::Mat Plane, Inner, Outer, Own, Others, Distance, Limit, Mask;
};

// Box mean of `size` x `size` samples, in single precision.
void BoxMean(const cv::Mat& plane, int size, cv::Mat& mean) {
  cv::boxFilter(plane, mean, CV_32F, cv::Size(size, size), cv::Point(-1, -1), true,
                cv::BORDER_REPLICATE);
}

// Global route: the box mean against a fixed band.
int GlobalRoute(BoxWork& w, int size, double low, double high) {
  BoxMean(w.Plane, size, w.Inner);
  cv::inRange(w.Inner, low, high, w.Mask);
  return cv::countNonZero(w.Mask);
}

// Local route: the small box mean against the band around the large one. With
// a non-negative large mean m, "s < m (1 - p) or s > m (1 + p)" is |s - m| > m p:
// one comparison instead of two bounds, two comparisons and their union.
int LocalRoute(BoxWork& w, int small, int large, double percent) {
  BoxMean(w.Plane, small, w.Inner);
  BoxMean(w.Plane, large, w.Outer);
  cv::absdiff(w.Inner, w.Outer, w.Distance);
  w.Outer.convertTo(w.Limit, CV_32F, percent / 100.0);
  cv::compare(w.Distance, w.Limit, w.Mask, cv::CMP_GT);
  return cv::countNonZero(w.Mask);
}

// Local route of the chip search: the mean of the other samples of one box,
// and the sample's distance from it against a share of that mean.
int OthersRoute(BoxWork& w, const cv::Mat& plane, int size, double percent) {
  plane.convertTo(w.Own, CV_32F);
  // Summed from the integer plane: exact, where single-precision sums of 31 x 31
  // 16-bit samples would round.
  cv::boxFilter(plane, w.Inner, CV_32F, cv::Size(size, size), cv::Point(-1, -1), false,
                cv::BORDER_REPLICATE);
  const double others = size * size - 1;
  cv::addWeighted(w.Inner, 1.0 / others, w.Own, -1.0 / others, 0.0, w.Others);
  cv::absdiff(w.Own, w.Others, w.Distance);
  w.Others.convertTo(w.Limit, CV_32F, percent / 100.0);
  cv::compare(w.Distance, w.Limit, w.Mask, cv::CMP_GT);
  return cv::countNonZero(w.Mask);
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
  const cv::Mat source = bayer ? SiteView(image, 0, 0) : ColourView(image);
  BoxWork w;
  Timed(state, [&] {
    cv::extractChannel(source, w.Plane, bayer ? 0 : 1);
    return local ? LocalRoute(w, sites(small), sites(large), 5.0)
                 : GlobalRoute(w, sites(small), level * 0.95, level * 1.05);
  });
}

// Arguments as BM_WaferonExecute (Bayer, local, HammerSize) on 4000 x 3000 x 32:
// every plane, the four Bayer positions or the three channels, each taken out
// of the picture in one pass.
void BM_OpenCvWaferonRoute(benchmark::State& state) {
  const bool bayer = state.range(0) != 0, local = state.range(1) != 0;
  const int hammer = static_cast<int>(state.range(2));
  const BenchImage& image = bayer ? SharedBayerImage(4000, 3000, 32) : SharedColourImage(4000, 3000, 32);
  const int size = bayer ? (hammer & ~1) + 1 : hammer / 2 * 2 + 1;
  const int level = bayer ? 32000 : 140, band = bayer ? 1600 : 7;
  std::vector<cv::Mat> planes;
  if (bayer) {  // 4000 columns: both column parities have 2000 sites
    for (int k = 0; k < 4; ++k) planes.emplace_back(1500, 2000, CV_16UC1);
  } else {
    for (int k = 0; k < 3; ++k) planes.emplace_back(3000, 4000, CV_8UC1);
  }
  const cv::Mat rows[2] = {SiteView(image, 0, 0), SiteView(image, 0, 1)};
  const cv::Mat colour = ColourView(image);
  BoxWork w;
  Timed(state, [&] {
    if (bayer) {
      const int fromTo[] = {0, 0, 2, 1};
      for (int py = 0; py < 2; ++py) cv::mixChannels(&rows[py], 1, &planes[2 * py], 2, fromTo, 2);
    } else {
      const int fromTo[] = {0, 0, 1, 1, 2, 2};
      cv::mixChannels(&colour, 1, planes.data(), 3, fromTo, 3);
    }
    int count = 0;
    for (const cv::Mat& plane : planes) {
      if (local) {
        count += OthersRoute(w, plane, size, 5.0);
      } else {  // outside level +/- band: the complement of one range test
        cv::inRange(plane, level - band, level + band, w.Mask);
        count += static_cast<int>(plane.total()) - cv::countNonZero(w.Mask);
      }
    }
    return count;
  });
}

// The summed-area table of one channel, for reference beside the window sums.
void BM_OpenCvIntegral(benchmark::State& state) {
  const cv::Mat view = ColourView(ImageFor(state, false));
  cv::Mat plane, sums;
  Timed(state, [&] {
    cv::extractChannel(view, plane, 1);
    cv::integral(plane, sums, CV_32S);
    return sums.data;
  });
}

// Counterpart of the two cluster passes on the same 60,000-mark map.
void BM_OpenCvConnectedComponents(benchmark::State& state) {
  const std::vector<std::uint8_t> map = MakeDefectMap(4000, 3000, 60000, 1);
  const cv::Mat view(3000, 4000, CV_8U, const_cast<std::uint8_t*>(map.data()));
  cv::Mat labels;
  int regions = 0;
  Timed(state, [&] {
    regions = cv::connectedComponents(view, labels, 8, CV_32S);
    return labels.data;
  });
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
