// The calls that every library driver makes in the same order: the banner,
// Open, the bitmap loaded and bound, the program's own analysis calls, the
// results read or the named data log dropped, the findings read, then Close
// and Clean. A driver adds only its analysis calls and what it reads back.
#pragma once

#include <cstddef>
#include <cstdio>

#include "frontend/station/run_context.h"
#include "sensordefect/Findings.h"

namespace sensor::frontend {

// The codes after which a driver still reads the results: 0 alone, or E_ABORT
// as well (a library stopped on the way still holds what it measured).
enum class ResultsAfter { Success, SuccessOrAbort };

// Prints the banner, then opens a fresh `Library` (the run's debug switch as
// its flag) and hands it the run's folder, loads the bitmap (E_FAIL when it cannot be loaded), binds it and
// calls `analyse(library)`; each step is taken only when every earlier one gave
// 0. E_FAIL as well when the picture's file changed beneath its mapping
// during the analysis. Then `readResults(library)` when the code is one of
// `readAfter`, else the named data log is dropped; `readFindings(library)`
// whenever Open succeeded and a file that shows findings was asked for (the
// findings say themselves how far the run came; some cost a pass of their
// own); Close and Clean always. Gives the code.
template <class Library, class Analyse, class ReadResults, class ReadFindings>
ResultCode RunAnalysisLibrary(RunContext& run, ResultsAfter readAfter, Analyse analyse,
                              ReadResults readResults, ReadFindings readFindings) {
  using SensorDefectDetectionClass::E_ABORT;
  using SensorDefectDetectionClass::E_FAIL;
  using SensorDefectDetectionClass::S_OK;
  std::printf("\n\n> > > Direct Code Path < < <\n\n");

  Library library{};
  ResultCode code = library.Open(run.Options().Debug ? 1 : 0);
  const bool opened = code == S_OK;
  if (code == S_OK) code = library.set_OutputFolder(run.OutputFolder().c_str());
  if (code == S_OK) {
    Picture* bitmap = run.LoadBitmap();
    code = bitmap == nullptr ? E_FAIL
                             : library.BindImage(bitmap->Header.data(), bitmap->Pixels.data());
    if (code == S_OK) {
      code = analyse(library);
      // A mapped picture file cut short or written during the analysis: what
      // was measured is not the picture's.
      if (!bitmap->Pixels.Intact()) {
        std::printf("\nThe picture file changed while it was analysed.\n");
        code = E_FAIL;
      }
    }
  }

  if (code == S_OK || (readAfter == ResultsAfter::SuccessOrAbort && code == E_ABORT)) {
    readResults(library);
  } else {
    run.DropLogFile();
  }
  if (opened && run.Options().Products.Any()) readFindings(library);
  library.Close();
  library.Clean();
  return code;
}

// Copies the library's five levels (R, G, B, G1, G2) into the five entries from
// `first` on and into the run's findings. When the getter fails the entries
// keep their values and the findings have no levels.
template <class Library>
void ReadLevels(Library& library, RunContext& run, std::size_t first) {
  LevelFindings levels{};
  if (library.get_Ostrel(&levels[0], &levels[1], &levels[2], &levels[3], &levels[4]) !=
      SensorDefectDetectionClass::S_OK) {
    return;
  }
  for (std::size_t i = 0; i < 5; ++i) run.Verdicts()[first + i].SetLevel(levels[i]);
  run.Findings().Levels = levels;
}

// An area of a library's findings as the front end keeps it.
inline FindingBox BoxOf(const SensorDefectDetectionClass::FindingArea& area) {
  return FindingBox{area.Left, area.Top, area.Right, area.Bottom};
}

}  // namespace sensor::frontend
