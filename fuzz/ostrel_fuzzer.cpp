// The level library on any bitmap file and any parameters: the file is loaded
// as the test programs load it, then bound and measured with a parameter record
// taken from the input's first bytes; the levels and the dimensions are checked
// (postconditions.h).
#include <cstddef>
#include <cstdint>

#include "bitmap_input.h"
#include "postconditions.h"
#include "sensordefect/Ostrel.h"

namespace {

constexpr std::size_t kParameterBytes = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace SensorDefectDetectionClass;
  if (size < kParameterBytes) return 0;
  sensor::fuzz::ParameterBytes in(data, kParameterBytes);
  const std::uint8_t flags = in.Byte();
  _PARAMS_Ostrel p{};
  p.BayerMode = in.Flag(flags, 0);
  p.SensorBpp = in.BitDepth();
  p.TestBpp = in.BitDepth();
  sensor::fuzz::ReadMargins(in, p);
  p.RoiLeft = in.Fraction();
  p.RoiTop = in.Fraction();
  p.RoiRight = in.Fraction();
  p.RoiBottom = in.Fraction();

  std::optional<sensor::frontend::Picture> bitmap =
      sensor::fuzz::LoadBitmapAfter(data, size, kParameterBytes);
  if (!bitmap) return 0;

  Ostrel library;
  if (library.Open(in.Flag(flags, 1) ? 1 : 0) == S_OK &&
      library.BindImage(bitmap->Header.data(), bitmap->Pixels.data()) == S_OK) {
    _RESULT_Ostrel result{};
    if (library.Execute(result, p) == S_OK) {
      using namespace sensor::fuzz;
      RequireLevelsInRange(library, p.BayerMode, LargestSample(p.BayerMode, p.SensorBpp, p.TestBpp));
      sensor::ImageBinding picture;
      sensor::BindBitmap(bitmap->Header.data(), bitmap->Pixels.data(), picture);
      std::int32_t width = 0, height = 0;
      library.get_SensorDim(&width, &height);
      Require(width == picture.Width && height == picture.Height && width > 0 && height > 0,
              "the dimensions are those of the bound picture");
    }
  }
  library.Close();
  library.Clean();
  return 0;
}
