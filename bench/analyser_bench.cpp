// The in-memory analysers against the station classes, on the shared 12-bit
// Bayer pictures (32-bit pixels, defects planted as in waferon_bench.cpp):
//  - BM_Route: one analysis of a 12 or 48 MP picture on one thread, through
//    the station class (Open, BindImage, Execute, Close, as the programs run
//    it; Glazet's Execute paints the picture and writes its map file), through
//    a reused analyser on a view of the same bitmap, and (12 MP) through the
//    analyser on the picture's samples as a 16-bit Bayer frame. Read the
//    routes' times against route:0 of the same library and size.
//  - BM_RunFaults: minor page faults per call of repeated Run on one analyser
//    after a first call, with a new result each time or the previous result
//    handed back.
//  - BM_Streams: one or two threads, each with its own analyser of one thread,
//    analysing different 12 MP pictures; items_per_second is pictures per
//    second: read threads:2 against threads:1.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <array>
#include <cstring>
#include <vector>

#include "bench_images.h"
#include "common/parallel_rows.h"
#include "quiet_console.h"
#include "sensordefect/GlazetAnalysis.h"
#include "sensordefect/OstrelAnalysis.h"
#include "sensordefect/WaferonAnalysis.h"
#include "waferon_params.h"

namespace sensor::bench {
namespace {

using namespace SensorDefectDetectionClass;
namespace sd = sensordefect;

// The station records of the three libraries; the analysers get the same values.
_PARAMS_Glazet GlazetRecord() {
  _PARAMS_Glazet p{};
  p.BayerMode = 1;
  p.SensorBpp = p.TestBpp = 12;
  p.OutlierLeft = p.OutlierTop = p.OutlierRight = p.OutlierBottom = 4;
  p.RoiRight = p.RoiBottom = 1.0;
  p.LocalSearch = 1;
  p.HammerSmall = 5;
  p.HammerLarge = 15;
  p.DefectThreshold = 5.0;
  p.ClusterSize = 4;
  return p;
}

_PARAMS_Ostrel OstrelRecord() {
  _PARAMS_Ostrel p{};
  p.BayerMode = 1;
  p.SensorBpp = p.TestBpp = 12;
  return p;
}

// A Bayer picture of 12 or 48 MP with defects planted; `variant` 1 has other
// noise, for a second stream of pictures. Made once, before any thread asks.
const BenchImage& Picture(int megapixels, int variant = 0) {
  auto make = [](std::int32_t w, std::int32_t h, std::uint32_t seed) {
    const int singles = w / 1000 * h / 3;  // 4000 in 12 MP, as waferon_bench.cpp plants
    return WithDefects(MakeBayerImage(w, h, 32, 2000, 40, seed), true, singles, singles / 10);
  };
  static const std::array<BenchImage, 2> twelve = {make(4000, 3000, 1), make(4000, 3000, 2)};
  if (megapixels == 12) return twelve[variant];
  static const BenchImage fortyEight = make(8000, 6000, 1);
  return fortyEight;
}

std::size_t Stride(const BenchImage& image) { return image.Pixels.size() / image.Height; }

// The bitmap as a view: rows stored bottom first, so the stride is negative.
sd::ImageView BitmapView(const BenchImage& image) {
  sd::ImageView view;
  view.Pixels = image.Pixels.data() + (image.Height - 1) * Stride(image);
  view.Width = image.Width;
  view.Height = image.Height;
  view.RowStride = -static_cast<std::int64_t>(Stride(image));
  view.Layout = sd::PixelLayout::Bgra32;
  return view;
}

// The same samples as a 16-bit frame, top row first: the sample's top eight
// bits from the first byte, its four low bits from the second.
std::vector<std::uint16_t> Frame16(const BenchImage& image) {
  std::vector<std::uint16_t> frame(static_cast<std::size_t>(image.Width) * image.Height);
  for (std::int32_t y = 0; y < image.Height; ++y) {
    const unsigned char* row = image.Pixels.data() + (image.Height - 1 - y) * Stride(image);
    for (std::int32_t x = 0; x < image.Width; ++x) {
      frame[static_cast<std::size_t>(y) * image.Width + x] =
          static_cast<std::uint16_t>(row[4 * x] << 4 | (row[4 * x + 1] & 15));
    }
  }
  return frame;
}

sd::ImageView FrameView(const std::vector<std::uint16_t>& frame, const BenchImage& image) {
  sd::ImageView view;
  view.Pixels = frame.data();
  view.Width = image.Width;
  view.Height = image.Height;
  view.RowStride = image.Width * 2;
  view.Layout = sd::PixelLayout::Bayer16;
  return view;
}

// One library's two routes: its station class run as a program runs it, and
// an analyser with the same parameters.
struct WaferonRoutes {
  _PARAMS_Waferon record = WaferonBenchParams(true, true, 11);
  sd::WaferonParams params = sd::FromStationRecord(record);
  sd::WaferonAnalyser analyser;
  sd::WaferonResult result;
  static constexpr bool kPaints = false;
  bool Station(std::vector<unsigned char>& header, std::vector<unsigned char>& pixels) {
    Waferon library;
    library.Open(0);
    library.BindImage(header.data(), pixels.data());
    library.set_TableSize(64);
    _RESULT_Waferon counts{};
    const std::int32_t code = library.Execute(counts, record, 1, 1, 1, 1, 1);
    library.Close();
    return code == S_OK;
  }
  std::size_t Found() const { return result.Candidates.size(); }
};

struct GlazetRoutes {
  _PARAMS_Glazet record = GlazetRecord();
  sd::GlazetParams params = sd::FromStationRecord(record);
  sd::GlazetAnalyser analyser;
  sd::GlazetResult result;
  static constexpr bool kPaints = true;
  bool Station(std::vector<unsigned char>& header, std::vector<unsigned char>& pixels) {
    Glazet library;
    library.Open(0);
    library.BindImage(header.data(), pixels.data());
    _RESULT_Glazet counts{};
    const std::int32_t code = library.Execute(counts, record);
    library.Close();
    return code == S_OK;
  }
  std::size_t Found() const { return static_cast<std::size_t>(result.Candidates); }
};

struct OstrelRoutes {
  _PARAMS_Ostrel record = OstrelRecord();
  sd::OstrelParams params = sd::FromStationRecord(record);
  sd::OstrelAnalyser analyser;
  sd::OstrelResult result;
  static constexpr bool kPaints = false;
  bool Station(std::vector<unsigned char>& header, std::vector<unsigned char>& pixels) {
    Ostrel library;
    library.Open(0);
    library.BindImage(header.data(), pixels.data());
    _RESULT_Ostrel unused{};
    const std::int32_t code = library.Execute(unused, record);
    library.Close();
    return code == S_OK;
  }
  std::size_t Found() const { return result.Measured ? 1 : 0; }
};

// Arguments: megapixels, route (0 station, 1 analyser on the bitmap, 2 analyser
// on the 16-bit frame).
template <class Routes>
void BM_Route(benchmark::State& state) {
  const BenchImage& pristine = Picture(static_cast<int>(state.range(0)));
  const int route = static_cast<int>(state.range(1));
  std::vector<unsigned char> header = pristine.Header, pixels = pristine.Pixels;
  const std::vector<std::uint16_t> frame = route == 2 ? Frame16(pristine) : std::vector<std::uint16_t>();
  const sd::ImageView view = route == 2 ? FrameView(frame, pristine) : BitmapView(pristine);
  Routes routes;
  sd::RunOptions one;
  one.Threads = 1;
  SetAnalysisThreads(1);
  QuietConsole quiet;
  bool ok = true;
  for (auto _ : state) {
    if (route == 0) {
      if constexpr (Routes::kPaints) {  // Execute painted the picture
        state.PauseTiming();
        std::memcpy(pixels.data(), pristine.Pixels.data(), pixels.size());
        state.ResumeTiming();
      }
      ok = routes.Station(header, pixels) && ok;
    } else {
      routes.analyser.Run(view, routes.params, one, routes.result);
      ok = routes.result.Status.Ok() && ok;
    }
  }
  SetAnalysisThreads(0);
  if (!ok) state.SkipWithError("the analysis failed");
  if (route != 0) state.counters["found"] = static_cast<double>(routes.Found());
}

void RouteCases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"MP", "route"})->Args({12, 0})->Args({12, 1})->Args({12, 2})->Args({48, 0})->Args({48, 1});
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Route<WaferonRoutes>)->Apply(RouteCases);
BENCHMARK(BM_Route<GlazetRoutes>)->Apply(RouteCases);
BENCHMARK(BM_Route<OstrelRoutes>)->Apply(RouteCases);

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Argument: 1 hands the previous result back, 0 takes a new one per call.
template <class Routes>
void BM_RunFaults(benchmark::State& state) {
  const BenchImage& image = Picture(12);
  const sd::ImageView view = BitmapView(image);
  const bool handBack = state.range(0) != 0;
  Routes routes;
  sd::RunOptions one;
  one.Threads = 1;
  routes.analyser.Run(view, routes.params, one, routes.result);  // the first call sizes everything
  const long before = MinorFaults();
  for (auto _ : state) {
    if (handBack) {
      routes.analyser.Run(view, routes.params, one, routes.result);
    } else {
      routes.result = routes.analyser.Run(view, routes.params, one);
    }
  }
  state.counters["minflt"] = benchmark::Counter(static_cast<double>(MinorFaults() - before),
                                                benchmark::Counter::kAvgIterations);
  if (!routes.result.Status.Ok()) state.SkipWithError("the analysis failed");
}

BENCHMARK(BM_RunFaults<WaferonRoutes>)->ArgName("handback")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunFaults<GlazetRoutes>)->ArgName("handback")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunFaults<OstrelRoutes>)->ArgName("handback")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

template <class Routes>
void BM_Streams(benchmark::State& state) {
  const BenchImage& image = Picture(12, state.thread_index() % 2);
  const sd::ImageView view = BitmapView(image);
  Routes routes;
  sd::RunOptions one;
  one.Threads = 1;
  for (auto _ : state) {
    routes.analyser.Run(view, routes.params, one, routes.result);
  }
  if (!routes.result.Status.Ok()) state.SkipWithError("the analysis failed");
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Streams<WaferonRoutes>)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Streams<GlazetRoutes>)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Streams<OstrelRoutes>)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
