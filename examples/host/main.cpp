// A host of the analysis libraries: builds a small picture in memory, then
// measures its levels with Ostrel and looks for defective pixels with Waferon,
// through their exported classes, and prints what they report. Waferon's files
// go beside this program, or into the folder given as the first argument.
#include <cstdint>
#include <cstdio>
#include <vector>

#include <sensordefect/Ostrel.h>
#include <sensordefect/Waferon.h>

using namespace SensorDefectDetectionClass;

int main(int argc, char** argv) {
  // A 64 x 48 colour picture, 32 bits per pixel, stored bottom row first:
  // blue 40, green 80, red 120, with one bright pixel at column 10, row 20.
  const std::int32_t width = 64, height = 48;
  std::vector<unsigned char> header(40, 0);
  auto put32 = [&](int at, std::int32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, width);
  put32(8, height);
  header[12] = 1;
  header[14] = 32;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = 40;
    pixels[i + 1] = 80;
    pixels[i + 2] = 120;
  }
  unsigned char* hot = &pixels[((height - 1 - 20) * width + 10) * 4];
  hot[0] = hot[1] = hot[2] = 255;

  Ostrel ostrel{};
  _RESULT_Ostrel unused{};
  _PARAMS_Ostrel levelParams{};  // colour mode, whole picture
  ostrel.Open(0);
  std::int32_t code = ostrel.BindImage(header.data(), pixels.data());
  if (code == S_OK) code = ostrel.Execute(unused, levelParams);
  double r = 0, g = 0, b = 0, g1 = 0, g2 = 0;
  std::int32_t w = 0, h = 0;
  ostrel.get_Ostrel(&r, &g, &b, &g1, &g2);
  ostrel.get_SensorDim(&w, &h);
  ostrel.Close();
  std::printf("Ostrel: code %d, %dx%d, R %.2f G %.2f B %.2f\n", code, w, h, r, g, b);
  if (code != S_OK) return 1;

  Waferon waferon{};
  if (argc > 1 && waferon.set_OutputFolder(argv[1]) != S_OK) return 1;
  waferon.Open(0);
  _PARAMS_Waferon defectParams{};
  waferon.get_ParameterSet(defectParams);  // the defaults, then colour mode
  defectParams.BayerMode = 0;
  for (int c = 0; c < 5; ++c) {  // 50 levels away from the colour's mean
    defectParams.CenterPixelThreshold[c] = 50.0;
    defectParams.CenterClusterThreshold[c] = 50.0;
    defectParams.SidePixelThreshold[c] = 50.0;
    defectParams.SideClusterThreshold[c] = 50.0;
  }
  _RESULT_Waferon counts{};
  code = waferon.BindImage(header.data(), pixels.data());
  if (code == S_OK) code = waferon.set_TableSize(8);
  if (code == S_OK) code = waferon.Execute(counts, defectParams, 1, 1, 1, 1, 1);
  std::int32_t x = -1, y = -1;
  double score = 0.0;
  waferon.get_SingleDefect(0, &x, &y, &score);
  waferon.Close();
  waferon.Clean();
  std::printf("\nWaferon: code %d, centre pixels %d, worst pixel at %d,%d score %.2f\n", code,
              counts.CenterPixels, x, y, score);
  return code == S_OK && counts.CenterPixels == 1 && x == 10 && y == 20 ? 0 : 1;
}
