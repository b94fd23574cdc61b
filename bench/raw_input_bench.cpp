// Reading a 48 MP picture (8000 x 6000 Bayer samples of 10 bits) into the
// analysis buffer through the programs' picture loader: as the station's
// 32-bit bitmap, as a packed raw10 frame and as a 16-bit greymap. The goal is
// at most twice the bitmap's time for either raw format. The files are written
// once per process into SENSOR_BENCH_DIR (default /tmp) and removed at exit;
// every run after the first reads them from the page cache.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/bitmap_format.h"
#include "frontend/pictures/picture_loader.h"

namespace sensor::bench {
namespace {

constexpr std::int32_t kWidth = 8000;
constexpr std::int32_t kHeight = 6000;

struct Files {
  std::string Bitmap, Raw10, Greymap;
};

void Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

// The same samples in the three files; a cheap generator, no defects.
const Files& BenchFiles() {
  static const Files files = [] {
    const char* dir = std::getenv("SENSOR_BENCH_DIR");
    const std::string base = std::string(dir != nullptr ? dir : "/tmp") + "/sensor_raw_bench_" + std::to_string(getpid());
    Files f{base + ".bmp", base + ".raw10", base + ".pgm"};
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(kWidth) * kHeight);
    std::uint32_t state = 12345;
    for (std::uint16_t& s : samples) {
      state = state * 1664525u + 1013904223u;
      s = static_cast<std::uint16_t>(400 + (state >> 24));
    }
    {
      bitmap::InfoFields info;
      info.Width = kWidth;
      info.Height = -kHeight;
      info.BitCount = 32;
      const std::uint64_t pixels = std::uint64_t{4} * samples.size();
      const auto headers = bitmap::FileHeaders(info, pixels);
      std::vector<unsigned char> bytes(headers.begin(), headers.end());
      bytes.reserve(bytes.size() + pixels);
      for (const std::uint16_t s : samples) {
        bytes.insert(bytes.end(), {static_cast<unsigned char>(s >> 2), static_cast<unsigned char>(s & 3), 0, 0});
      }
      Write(f.Bitmap, bytes);
    }
    {
      std::vector<unsigned char> bytes;
      bytes.reserve(samples.size() / 4 * 5);
      for (std::size_t i = 0; i < samples.size(); i += 4) {
        unsigned char low = 0;
        for (int k = 0; k < 4; ++k) {
          bytes.push_back(static_cast<unsigned char>(samples[i + k] >> 2));
          low = static_cast<unsigned char>(low | (samples[i + k] & 3) << (2 * k));
        }
        bytes.push_back(low);
      }
      Write(f.Raw10, bytes);
    }
    {
      const std::string header = "P5\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n1023\n";
      std::vector<unsigned char> bytes(header.begin(), header.end());
      bytes.reserve(bytes.size() + 2 * samples.size());
      for (const std::uint16_t s : samples) {
        bytes.insert(bytes.end(), {static_cast<unsigned char>(s >> 8), static_cast<unsigned char>(s)});
      }
      Write(f.Greymap, bytes);
    }
    std::atexit([] {
      unlink(BenchFiles().Bitmap.c_str());
      unlink(BenchFiles().Raw10.c_str());
      unlink(BenchFiles().Greymap.c_str());
    });
    return f;
  }();
  return files;
}

// The bitmap is read into memory of its own, as for a run that paints it, so
// that every reader here fills a buffer (a mapped bitmap costs its reader
// nothing until the analysis touches the pages).
void Load(benchmark::State& state, const std::string& path, std::optional<std::string> layout) {
  const frontend::PictureRequest request{true, 10, false, std::move(layout), frontend::PixelMemory::Own};
  for (auto _ : state) {
    frontend::LoadProblem problem;
    std::optional<frontend::Picture> picture = frontend::ReadPicture(path, request, problem);
    if (!picture) {
      state.SkipWithError(("not loaded: " + problem).c_str());
      return;
    }
    benchmark::DoNotOptimize(picture->Pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kWidth} * kHeight);
}

void BM_ReadBitmap48MP(benchmark::State& state) { Load(state, BenchFiles().Bitmap, std::nullopt); }
void BM_ReadRaw10_48MP(benchmark::State& state) {
  Load(state, BenchFiles().Raw10, "raw10," + std::to_string(kWidth) + "," + std::to_string(kHeight));
}
void BM_ReadGreymap16_48MP(benchmark::State& state) { Load(state, BenchFiles().Greymap, std::nullopt); }

BENCHMARK(BM_ReadBitmap48MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadRaw10_48MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadGreymap16_48MP)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sensor::bench
