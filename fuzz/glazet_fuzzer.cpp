// The package library on any bitmap file and any parameters: the file is loaded
// as the test programs load it, then bound and analysed with a parameter record
// taken from the input's first bytes, and the clusters are read back. The
// library paints its defect map into the pixel buffer, or leaves the buffer as
// it was when a flag asks it to keep the picture, and writes "pkgdfects.bmp"
// beside the fuzzer; the levels, the count and the painted map or the kept
// pixels are checked (postconditions.h).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap_input.h"
#include "postconditions.h"
#include "sensordefect/Glazet.h"

namespace {

constexpr std::size_t kParameterBytes = 24;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace SensorDefectDetectionClass;
  if (size < kParameterBytes) return 0;
  sensor::fuzz::ParameterBytes in(data, kParameterBytes);
  const std::uint8_t flags = in.Byte();
  _PARAMS_Glazet p{};
  p.BayerMode = in.Flag(flags, 0);
  p.LocalSearch = in.Flag(flags, 1);
  const bool keepPicture = in.Flag(flags, 2);
  p.SensorBpp = in.BitDepth();
  p.TestBpp = in.BitDepth();
  // Mostly one of the five planes, sometimes any number.
  const std::uint8_t plane = in.Byte();
  p.ColorPlane = plane < 200 ? plane % 5 : static_cast<std::int32_t>(plane) - 230;
  sensor::fuzz::ReadMargins(in, p);
  p.RoiLeft = in.Fraction();
  p.RoiTop = in.Fraction();
  p.RoiRight = in.Fraction();
  p.RoiBottom = in.Fraction();
  p.HammerSmall = in.Integer();
  p.HammerLarge = in.Integer();
  p.DefectThreshold = in.Threshold();
  p.ClusterSize = in.Integer();
  const short firstIndex = static_cast<short>(in.Integer());
  const short lastIndex = static_cast<short>(in.Integer());

  std::optional<sensor::frontend::Picture> bitmap =
      sensor::fuzz::LoadBitmapAfter(data, size, kParameterBytes);
  if (!bitmap) return 0;

  Glazet library;
  // Not in debug mode: there a run with too many candidates waits for a key.
  if (library.Open(0) == S_OK &&
      library.BindImage(bitmap->Header.data(), bitmap->Pixels.data()) == S_OK &&
      (!keepPicture || library.set_KeepPicture(1) == S_OK)) {
    const std::vector<unsigned char> before =
        keepPicture ? std::vector<unsigned char>(bitmap->Pixels.begin(), bitmap->Pixels.end())
                    : std::vector<unsigned char>();
    _RESULT_Glazet result{};
    if (library.Execute(result, p) == S_OK) {
      using namespace sensor::fuzz;
      RequireLevelsInRange(library, p.BayerMode, LargestSample(p.BayerMode, p.SensorBpp, p.TestBpp));
      RequireNotNegative(result.numpackagefects);
      sensor::ImageBinding picture;
      sensor::BindBitmap(bitmap->Header.data(), bitmap->Pixels.data(), picture);
      if (keepPicture) {
        Require(std::equal(before.begin(), before.end(), bitmap->Pixels.begin(), bitmap->Pixels.end()),
                "a kept picture is left as it was");
      } else {
        RequireBlackOrWhite(picture);
      }
      // The blemishes described from the counted map: as many as counted,
      // each inside the picture with its centroid inside its bounds.
      GlazetFindings found{};
      Require(library.get_Findings(found) == S_OK, "get_Findings after a run succeeds");
      if (found.Counted != 0 && found.TooMany == 0) {
        Require(found.BlemishCount == result.numpackagefects, "one blemish per counted cluster");
        for (std::int32_t i = 0; i < found.BlemishCount; ++i) {
          const BlemishFinding& b = found.Blemishes[i];
          RequireEntryInPicture(picture, b.Bounds.Left, b.Bounds.Top);
          RequireEntryInPicture(picture, b.Bounds.Right, b.Bounds.Bottom);
          Require(b.CentroidX >= b.Bounds.Left && b.CentroidX <= b.Bounds.Right &&
                      b.CentroidY >= b.Bounds.Top && b.CentroidY <= b.Bounds.Bottom,
                  "a blemish's centroid lies inside its bounds");
        }
      }
      for (int i = firstIndex; i <= lastIndex && i < firstIndex + 64; ++i) {
        std::int32_t x = 0, y = 0, pixels = 0;
        library.get_Cluster(static_cast<short>(i), &x, &y, &pixels);
      }
      _PARAMS_Glazet echoed{};
      library.get_ParameterSet(echoed);
    }
  }
  library.Close();
  library.Clean();
  return 0;
}
