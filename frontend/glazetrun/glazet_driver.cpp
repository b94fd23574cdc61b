#include "frontend/glazetrun/glazet_driver.h"

#include <cstdio>

#include "frontend/glazetrun/glazet_verdicts.h"

namespace sensor::glazetrun {

using namespace SensorDefectDetectionClass;

namespace {

void ReadResults(Glazet& library, const _RESULT_Glazet& result, frontend::VerdictTable& values) {
  values[kClustersTotal].SetCount(result.numpackagefects);

  // get_Ostrel writes nothing when it fails; the levels then keep their values.
  double levels[5];
  for (std::size_t i = 0; i < 5; ++i) levels[i] = values[kLevelR + i].Value;
  library.get_Ostrel(&levels[0], &levels[1], &levels[2], &levels[3], &levels[4]);
  for (std::size_t i = 0; i < 5; ++i) values[kLevelR + i].SetLevel(levels[i]);
}

}  // namespace

frontend::ResultCode RunLibrary(frontend::RunContext& run, const GlazetSettings& settings,
                                _RESULT_Glazet& result) {
  std::printf("\n\n> > > Direct Code Path < < <\n\n");

  Glazet library{};
  ResultCode code = library.Open(run.Options().debug ? 1 : 0);
  if (code == S_OK) {
    frontend::LoadedBitmap* bitmap = run.LoadBitmap();
    if (bitmap == nullptr) {
      code = E_FAIL;
    } else {
      code = library.BindImage(bitmap->Header.data(), bitmap->Pixels.data());
      if (code == S_OK) code = library.Execute(result, settings.Params);
    }
  }

  if (code == S_OK) {
    ReadResults(library, result, run.Verdicts());
  } else {
    run.DropLogFile();
  }
  library.Close();
  library.Clean();
  return code;
}

}  // namespace sensor::glazetrun
