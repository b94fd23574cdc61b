// The chip library on any bitmap file and any parameters: the file is loaded as
// the test programs load it, then bound and analysed with a parameter record,
// colour enables and table size taken from the input's first bytes, and the
// tables are read back and checked (postconditions.h).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "bitmap_input.h"
#include "postconditions.h"
#include "sensordefect/Waferon.h"

namespace {

constexpr std::size_t kParameterBytes = 40;

SensorDefectDetectionClass::_PARAMS_Waferon DecodeParams(sensor::fuzz::ParameterBytes& in,
                                                         std::uint8_t flags) {
  SensorDefectDetectionClass::_PARAMS_Waferon p{};
  p.BayerMode = in.Flag(flags, 0) ? 1 : 0;
  p.LocalSearch = in.Flag(flags, 1) ? 1 : 0;
  p.CountPixels = in.Flag(flags, 2) ? 1 : 0;
  p.FindClusters = in.Flag(flags, 3) ? 1 : 0;
  p.ThresholdPercent = in.Flag(flags, 4) ? 1 : 0;
  p.SensorBpp = in.BitDepth();
  p.TestBpp = in.BitDepth();
  sensor::fuzz::ReadMargins(in, p);
  p.CenterLeft = in.Fraction();
  p.CenterTop = in.Fraction();
  p.CenterRight = in.Fraction();
  p.CenterBottom = in.Fraction();
  p.ClusterSize = in.Integer();
  p.HammerSize = in.Integer();
  for (double& t : p.CenterClusterThreshold) t = in.Threshold();
  for (double& t : p.SideClusterThreshold) t = in.Threshold();
  for (double& t : p.CenterPixelThreshold) t = in.Threshold();
  for (double& t : p.SidePixelThreshold) t = in.Threshold();
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace SensorDefectDetectionClass;
  if (size < kParameterBytes) return 0;
  sensor::fuzz::ParameterBytes in(data, kParameterBytes);
  const std::uint8_t flags = in.Byte();
  const std::uint8_t enables = in.Byte();
  const _PARAMS_Waferon params = DecodeParams(in, flags);
  // Tables of up to a few thousand entries, or none. Sizes of billions fail
  // their allocation (E_OUTOFMEMORY), which the fuzzer's memory limit would
  // report as a finding of its own, so extremes are held to 65,536.
  const std::int32_t entries = std::clamp(in.Integer(), -65536, 65536);
  const std::int32_t tableSize = entries * (in.Flag(flags, 6) && entries <= 4096 ? 16 : 1);
  const short firstIndex = static_cast<short>(in.Integer());
  const short lastIndex = static_cast<short>(in.Integer());

  std::optional<sensor::frontend::Picture> bitmap =
      sensor::fuzz::LoadBitmapAfter(data, size, kParameterBytes);
  if (!bitmap) return 0;

  Waferon library;
  // The debug flag writes the dump files beside the fuzzer.
  if (library.Open(in.Flag(flags, 5) ? 1 : 0) == S_OK &&
      library.BindImage(bitmap->Header.data(), bitmap->Pixels.data()) == S_OK &&
      library.set_TableSize(tableSize) == S_OK) {
    _RESULT_Waferon result{};
    const sensor::fuzz::LevelReading before = sensor::fuzz::ReadLevels(library);
    const std::int32_t code =
        library.Execute(result, params, enables & 1, (enables >> 1) & 1, (enables >> 2) & 1,
                        (enables >> 3) & 1, (enables >> 4) & 1);
    if (code == S_OK) {
      using namespace sensor::fuzz;
      RequireLevelsInRange(library, params.BayerMode != 0,
                           LargestSample(params.BayerMode != 0, params.SensorBpp, params.TestBpp),
                           &before);
      RequireNotNegative(result.CenterClusters);
      RequireNotNegative(result.CenterPixels);
      RequireNotNegative(result.SideClusters);
      RequireNotNegative(result.SidePixels);
    }
    if (code == S_OK || code == E_ABORT) {
      sensor::ImageBinding picture;
      sensor::BindBitmap(bitmap->Header.data(), bitmap->Pixels.data(), picture);
      for (int i = firstIndex; i <= lastIndex && i < firstIndex + 64; ++i) {
        std::int32_t x = 0, y = 0, reserved = 0;
        double score = 0;
        if (library.get_SingleDefect(static_cast<short>(i), &x, &y, &score) == S_OK) {
          sensor::fuzz::RequireEntryInPicture(picture, x, y);
        }
        if (library.get_Cluster(static_cast<short>(i), &x, &y, &score, &reserved) == S_OK) {
          sensor::fuzz::RequireEntryInPicture(picture, x, y);
        }
      }
      _PARAMS_Waferon echoed{};
      library.get_ParameterSet(echoed);
    }
  }
  library.Close();
  library.Clean();
  return 0;
}
