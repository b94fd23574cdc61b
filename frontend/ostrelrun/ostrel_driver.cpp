#include "frontend/ostrelrun/ostrel_driver.h"

#include <cstdio>

#include "frontend/ostrelrun/ostrel_verdicts.h"

namespace sensor::ostrelrun {

using namespace SensorDefectDetectionClass;

namespace {

// The getters write nothing when they fail; the values then keep their start.
void ReadResults(Ostrel& library, frontend::VerdictTable& values) {
  double levels[5];
  for (std::size_t i = 0; i < 5; ++i) levels[i] = values[kLevelR + i].Value;
  library.get_Ostrel(&levels[0], &levels[1], &levels[2], &levels[3], &levels[4]);
  for (std::size_t i = 0; i < 5; ++i) values[kLevelR + i].SetLevel(levels[i]);

  std::int32_t width = values[kWidth].Count();
  std::int32_t height = values[kHeight].Count();
  library.get_SensorDim(&width, &height);
  values[kWidth].SetCount(width);
  values[kHeight].SetCount(height);
}

}  // namespace

frontend::ResultCode RunLibrary(frontend::RunContext& run, const OstrelSettings& settings,
                                _RESULT_Ostrel& result) {
  std::printf("\n\n> > > Direct Code Path < < <\n\n");

  Ostrel library{};
  // Each call is made only when every earlier one gave 0; E_ABORT from any of
  // them still leads to the results.
  ResultCode code = library.Open(run.Options().debug ? 1 : 0);
  bool bitmapLoaded = true;
  if (code == S_OK) {
    frontend::LoadedBitmap* bitmap = run.LoadBitmap();
    if (bitmap == nullptr) {
      bitmapLoaded = false;
      code = E_FAIL;
    } else {
      code = library.BindImage(bitmap->Header.data(), bitmap->Pixels.data());
      if (code == S_OK) code = library.Execute(result, settings.Params);
    }
  }

  if (bitmapLoaded && (code == S_OK || code == E_ABORT)) {
    ReadResults(library, run.Verdicts());
  } else {
    run.DropLogFile();
  }
  library.Close();
  library.Clean();
  return code;
}

}  // namespace sensor::ostrelrun
