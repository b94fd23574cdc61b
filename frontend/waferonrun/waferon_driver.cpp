#include "frontend/waferonrun/waferon_driver.h"

#include <cstdio>

#include "frontend/waferonrun/waferon_verdicts.h"

namespace sensor::waferonrun {

using namespace SensorDefectDetectionClass;

namespace {

constexpr std::int32_t kTableSize = 64;

void ReadResults(Waferon& library, const _RESULT_Waferon& result, frontend::VerdictTable& values) {
  values[kClustersCenter].SetCount(result.CenterClusters);
  values[kClustersSide].SetCount(result.SideClusters);
  values[kClustersTotal].SetCount(result.CenterClusters + result.SideClusters);
  values[kPixelsCenter].SetCount(result.CenterPixels);
  values[kPixelsSide].SetCount(result.SidePixels);
  values[kPixelsTotal].SetCount(result.CenterPixels + result.SidePixels);

  double levels[5] = {};
  if (library.get_Ostrel(&levels[0], &levels[1], &levels[2], &levels[3], &levels[4]) == S_OK) {
    for (std::size_t i = 0; i < 5; ++i) values[kLevelR + i].SetLevel(levels[i]);
  }
}

}  // namespace

frontend::ResultCode RunLibrary(frontend::RunContext& run, const WaferonSettings& settings,
                                _RESULT_Waferon& result) {
  std::printf("\n\n> > > Direct Code Path < < <\n\n");

  Waferon library{};
  ResultCode code = library.Open(run.Options().debug ? 1 : 0);
  bool bitmapLoaded = true;
  if (code == S_OK) {
    frontend::LoadedBitmap* bitmap = run.LoadBitmap();
    if (bitmap == nullptr) {
      bitmapLoaded = false;
      code = E_FAIL;
    } else {
      code = library.BindImage(bitmap->Header.data(), bitmap->Pixels.data());
      if (code == S_OK) code = library.set_TableSize(kTableSize);
      if (code == S_OK) {
        const auto& enable = settings.ColorUnderTest;
        code = library.Execute(result, settings.Params, enable[0], enable[1], enable[2], enable[3],
                               enable[4]);
      }
    }
  }

  if (bitmapLoaded && (code == S_OK || code == E_ABORT)) {
    ReadResults(library, result, run.Verdicts());
  } else {
    run.DropLogFile();
  }
  library.Close();
  library.Clean();
  return code;
}

}  // namespace sensor::waferonrun
