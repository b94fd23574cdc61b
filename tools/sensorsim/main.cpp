// sensorsim: writes a sensor-like test picture as a 24- or 32-bit bitmap (or
// in one of the raw formats the test programs read), with
// planted defects and a ground-truth list of what was planted where.
//
// Options follow the test programs' conventions: a dash and a case-insensitive
// name, its value in the next argument.
#include <cstdio>
#include <optional>
#include <string>

#include "frontend/station/command_line.h"
#include "frontend/common/file_writer.h"
#include "frontend/common/value_scan.h"
#include "picture_formats.h"
#include "sensor_image.h"

namespace {

using namespace sensor::frontend;
using sensor::sim::SimulationSettings;

const char* const kUsage[] = {
    "\nUSAGE: sensorsim (argument list below)\n",
    "[ REQUIRED ]\n",
    "\t-Out <file> ...the picture to write\n",
    "[ OPTIONAL ]\n",
    "\t-Truth <*.csv> ...list of the planted defects\n",
    "\t-Size <n,n> ...<width,height> default 640,480\n",
    "\t-BitCount <n> ...24 or 32, default 24\n",
    "\t-TopDown ...store the top row first\n",
    "\t-<BayerMode|ColorMode> ...default color\n",
    "\t-Levels <f,f,f> ...<R,G,B> mean bytes, default 120,140,90\n",
    "\t-BayerLevels <f,f,f,f> ...<R,G1,G2,B> mean samples, default 600,800,800,500\n",
    "\t-BitsUsage <n,n> ...<sensor bpp,test bpp> 8, 10 or 12, default 10,10\n",
    "\t-Noise <f> ...standard deviation, default 2\n",
    "\t-Seed <n> ...default 1\n",
    "\t-HotPixels <n> -DarkPixels <n> ...single defective pixels\n",
    "\t-Amplitude <n> ...offset of hot and dark pixels, default full scale\n",
    "\t-Clusters <n,n> ...<count,pixels per cluster>\n",
    "\t-Blemishes <n,f,f> ...<count,radius,depth %> darker blobs\n",
    "\t-Brighter ...blemishes brighter instead of darker\n",
    "\t-Format <bmp|pgm|tiff|dng|raw10|raw12|raw16> ...default bmp; all but bmp and tiff need Bayer mode\n",
    "\t-Stride <n> ...bytes per row of a raw10, raw12 or raw16 frame, default packed\n",
};

struct Request {
  SimulationSettings Settings;
  std::string Out;
  std::string Truth;
  int TestBpp = 10;
  bool Brighter = false;
  std::string Format = "bmp";
  std::uint64_t Stride = 0;
};

OptionTable SimulatorOptions(Request& r) {
  SimulationSettings& s = r.Settings;
  return {
      ValueOption("Out", [&r](const char* v) { r.Out = v; }),
      ValueOption("Truth", [&r](const char* v) { r.Truth = v; }),
      ValueOption("Size", [&s](const char* v) {
        if (auto size = ScanInt32s<2>(v)) s.Width = (*size)[0], s.Height = (*size)[1];
      }),
      ValueOption("BitCount", [&s](const char* v) {
        if (auto bits = ScanInt32s<1>(v)) s.BitCount = (*bits)[0];
      }),
      SwitchOption("TopDown", [&s] { s.TopDown = true; }),
      SwitchOption("BayerMode", [&s] { s.BayerMode = true; }),
      SwitchOption("ColorMode", [&s] { s.BayerMode = false; }),
      ValueOption("Levels", [&s](const char* v) {
        if (auto l = ScanDoubles<3>(v)) s.ColourMeans = *l;
      }),
      ValueOption("BayerLevels", [&s](const char* v) {
        if (auto l = ScanDoubles<4>(v)) s.BayerMeans = *l;
      }),
      ValueOption("BitsUsage", [&s, &r](const char* v) {
        if (auto b = ScanInt32s<2>(v)) s.SensorBpp = (*b)[0], r.TestBpp = (*b)[1];
      }),
      ValueOption("Noise", [&s](const char* v) {
        if (auto n = ScanDoubles<1>(v)) s.Noise = (*n)[0];
      }),
      ValueOption("Seed", [&s](const char* v) {
        if (auto n = ScanInt32s<1>(v)) s.Seed = static_cast<std::uint32_t>((*n)[0]);
      }),
      ValueOption("HotPixels", [&s](const char* v) {
        if (auto n = ScanInt32s<1>(v)) s.HotPixels = (*n)[0];
      }),
      ValueOption("DarkPixels", [&s](const char* v) {
        if (auto n = ScanInt32s<1>(v)) s.DarkPixels = (*n)[0];
      }),
      ValueOption("Amplitude", [&s](const char* v) {
        if (auto n = ScanDoubles<1>(v)) s.PixelAmplitude = (*n)[0];
      }),
      ValueOption("Clusters", [&s](const char* v) {
        if (auto c = ScanInt32s<2>(v)) s.Clusters = (*c)[0], s.ClusterPixels = (*c)[1];
      }),
      ValueOption("Blemishes", [&s](const char* v) {
        const char* text = v;
        auto count = ScanInt32(text);
        if (!count || *text != ',') return;
        if (auto shape = ScanDoubles<2>(text + 1)) {
          s.Blemishes = *count;
          s.BlemishRadius = (*shape)[0];
          s.BlemishDepth = (*shape)[1];
        }
      }),
      SwitchOption("Brighter", [&r] { r.Brighter = true; }),
      ValueOption("Format", [&r](const char* v) { r.Format = v; }),
      ValueOption("Stride", [&r](const char* v) {
        if (auto n = ScanInt32s<1>(v); n && (*n)[0] >= 0) r.Stride = static_cast<std::uint64_t>((*n)[0]);
      }),
  };
}

int Fail(const std::string& why) {
  std::printf("\nsensorsim: %s\n", why.c_str());
  for (const char* line : kUsage) std::fputs(line, stdout);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Request request;
  CommonOptions unused;
  ParseCommandLine(argc, argv, SimulatorOptions(request), unused);
  SimulationSettings& s = request.Settings;
  if (request.Brighter && s.BlemishDepth > 0) s.BlemishDepth = -s.BlemishDepth;

  if (request.Out.empty()) return Fail("no output picture given (-Out)");
  if (std::string why = sensor::sim::ValidateSettings(s); !why.empty()) return Fail(why);
  if (s.BayerMode && (request.TestBpp > s.SensorBpp ||
                      (request.TestBpp != 8 && request.TestBpp != 10 && request.TestBpp != 12))) {
    return Fail("test bits must be 8, 10 or 12 and not above the sensor bits");
  }

  const std::optional<sensor::sim::PictureFormat> format = sensor::sim::ParsePictureFormat(request.Format);
  if (!format) return Fail("unknown format " + request.Format);
  if (std::string why = sensor::sim::CheckFormat(*format, s, request.Stride); !why.empty()) return Fail(why);

  const sensor::sim::SimulatedImage image = sensor::sim::Simulate(s);
  if (!sensor::sim::WritePicture(request.Out, *format, image, s, request.Stride)) {
    return Fail("cannot write " + request.Out);
  }
  if (!request.Truth.empty() &&
      !sensor::frontend::WriteWholeFile(request.Truth, sensor::sim::TruthCsv(image))) {
    return Fail("cannot write " + request.Truth);
  }
  std::printf("%s: %dx%d, %d bits, %s, %zu defects planted\n", request.Out.c_str(), s.Width,
              s.Height, s.BitCount, s.BayerMode ? "bayer" : "color", image.Truth.size());
  return 0;
}
