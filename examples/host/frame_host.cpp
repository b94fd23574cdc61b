// A host with a frame in memory: makes a 12-bit Bayer frame of 16-bit samples,
// as a camera pipeline holds it, with hot pixels planted in it, and has two
// Waferon analysers look at its top and bottom halves on two threads at once.
// It prints what each found and writes no file. The exit code is 0 when every
// planted pixel, and nothing else, was found.
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include <sensordefect/WaferonAnalysis.h>

namespace {

constexpr std::int32_t kWidth = 640, kHeight = 480;

struct Planted {
  std::int32_t X, Y;
};
constexpr Planted kHot[] = {{100, 60}, {321, 150}, {40, 200}, {600, 300}, {333, 333}, {500, 420}};

// Bayer levels by site (even/odd column and row) with a little deterministic
// noise, then the planted pixels at the top of the 12-bit range.
std::vector<std::uint16_t> MakeFrame() {
  const std::uint16_t levels[2][2] = {{1800, 2400}, {2400, 1500}};
  std::vector<std::uint16_t> frame(static_cast<std::size_t>(kWidth) * kHeight);
  std::uint32_t noise = 12345;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      noise = noise * 1664525u + 1013904223u;
      frame[static_cast<std::size_t>(y) * kWidth + x] =
          static_cast<std::uint16_t>(levels[y % 2][x % 2] + (noise >> 28) - 8);
    }
  }
  for (const Planted& p : kHot) frame[static_cast<std::size_t>(p.Y) * kWidth + p.X] = 4095;
  return frame;
}

}  // namespace

int main() {
  const std::vector<std::uint16_t> frame = MakeFrame();

  // Each half is a view into the same frame: no copy, no header. The bottom
  // half starts on an even row, so its Bayer sites are those of the frame.
  const std::int32_t split = kHeight / 2;
  sensordefect::ImageView halves[2];
  for (int h = 0; h < 2; ++h) {
    halves[h].Pixels = frame.data() + static_cast<std::size_t>(h * split) * kWidth;
    halves[h].Width = kWidth;
    halves[h].Height = h == 0 ? split : kHeight - split;
    halves[h].RowStride = kWidth * static_cast<std::int64_t>(sizeof(std::uint16_t));
    halves[h].Layout = sensordefect::PixelLayout::Bayer16;
  }
  sensordefect::WaferonParams params;  // the documented defaults, at 12 bits
  params.SensorBpp = 12;
  params.TestBpp = 12;
  for (int c = 0; c < 5; ++c) {  // 300 levels away from the local mean
    params.CenterPixelThreshold[c] = params.SidePixelThreshold[c] = 300;
    params.CenterClusterThreshold[c] = params.SideClusterThreshold[c] = 300;
  }

  sensordefect::WaferonAnalyser analysers[2];
  sensordefect::WaferonResult results[2];
  sensordefect::RunOptions options;
  options.Threads = 1;  // one thread per analyser: the two run side by side
  std::thread threads[2];
  for (int h = 0; h < 2; ++h) {
    threads[h] = std::thread([&, h] { analysers[h].Run(halves[h], params, options, results[h]); });
  }
  for (std::thread& t : threads) t.join();

  std::size_t found = 0;
  bool unexpected = false;
  for (int h = 0; h < 2; ++h) {
    const sensordefect::WaferonResult& r = results[h];
    std::printf("%s half: %s, %zu candidates, centre pixels %d, side pixels %d\n",
                h == 0 ? "Top" : "Bottom", r.Status.Ok() ? "ok" : r.Status.Message.c_str(),
                r.Candidates.size(), r.Counts.CenterPixels, r.Counts.SidePixels);
    if (!r.Status.Ok()) return 1;
    for (const sensordefect::WaferonCandidate& c : r.Candidates) {
      const std::int32_t y = c.Y + h * split;  // back to frame rows
      std::printf("  %s pixel at %d,%d colour %d score %.1f\n", c.Hot ? "hot" : "dark", c.X, y,
                  c.Colour, c.Score);
      bool planted = false;
      for (const Planted& p : kHot) planted = planted || (p.X == c.X && p.Y == y);
      if (planted && c.Hot) {
        ++found;
      } else {
        unexpected = true;
      }
    }
  }
  const std::size_t planted = sizeof kHot / sizeof kHot[0];
  std::printf("Found %zu of %zu planted hot pixels%s\n", found, planted,
              unexpected ? ", and others" : "");
  return found == planted && !unexpected ? 0 : 1;
}
