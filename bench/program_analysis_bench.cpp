// The analysis inside each program's run on the 48 MP picture of
// bench/bench_programs.sh: the bitmap loaded by the programs' own loader, the
// example settings read by the programs' own settings tables, and the library's
// Execute timed alone, as the program calls it. bench_programs.sh sets
// SENSOR_PROGRAM_PICTURE and SENSOR_EXAMPLES; without them these benchmarks
// are skipped.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "frontend/pictures/picture_loader.h"
#include "frontend/glazetrun/glazet_settings.h"
#include "frontend/ostrelrun/ostrel_settings.h"
#include "frontend/waferonrun/waferon_settings.h"
#include "sensordefect/Glazet.h"
#include "sensordefect/Ostrel.h"
#include "sensordefect/Waferon.h"

namespace sensor::bench {
namespace {

using namespace SensorDefectDetectionClass;

struct ProgramInputs {
  frontend::Picture Bitmap;
  std::string Settings;  // the example settings file of the program
};

// The pixels as the programs hold them: mapped from the file.
std::optional<ProgramInputs> InputsFor(benchmark::State& state, const char* program) {
  const char* picture = std::getenv("SENSOR_PROGRAM_PICTURE");
  const char* examples = std::getenv("SENSOR_EXAMPLES");
  if (picture == nullptr || examples == nullptr) {
    state.SkipWithError("SENSOR_PROGRAM_PICTURE and SENSOR_EXAMPLES are not set (bench/bench_programs.sh sets them)");
    return std::nullopt;
  }
  frontend::PictureRequest request;
  request.Memory = frontend::PixelMemory::MappedFile;
  frontend::LoadProblem problem;
  std::optional<frontend::Picture> bitmap = frontend::ReadPicture(std::string(picture), request, problem);
  if (!bitmap) {
    state.SkipWithError("the picture cannot be loaded");
    return std::nullopt;
  }
  return ProgramInputs{std::move(*bitmap), std::string(examples) + "/" + program + "/settings.ini"};
}

void BM_ProgramAnalysisWaferonrun(benchmark::State& state) {
  std::optional<ProgramInputs> in = InputsFor(state, "waferonrun");
  if (!in) return;
  waferonrun::WaferonSettings settings;
  frontend::ReadSettingsFile(in->Settings, waferonrun::WaferonSettingsKeys(settings));
  const auto& enable = settings.ColorUnderTest;
  for (auto _ : state) {
    Waferon library;
    library.Open(0);
    library.BindImage(in->Bitmap.Header.data(), in->Bitmap.Pixels.data());
    library.set_TableSize(64);  // as Waferonrun sets it
    _RESULT_Waferon result{};
    benchmark::DoNotOptimize(
        library.Execute(result, settings.Params, enable[0], enable[1], enable[2], enable[3], enable[4]));
    library.Close();
  }
}

void BM_ProgramAnalysisGlazetrun(benchmark::State& state) {
  // As Glazetrun runs it without -DefectMapPNG: the picture mapped from its
  // file and left unpainted.
  std::optional<ProgramInputs> in = InputsFor(state, "glazetrun");
  if (!in) return;
  glazetrun::GlazetSettings settings;
  frontend::ReadSettingsFile(in->Settings, glazetrun::GlazetSettingsKeys(settings));
  Glazet library;
  library.Open(0);
  library.set_KeepPicture(1);
  library.BindImage(in->Bitmap.Header.data(), in->Bitmap.Pixels.data());
  for (auto _ : state) {
    _RESULT_Glazet result{};
    benchmark::DoNotOptimize(library.Execute(result, settings.Params));
  }
  library.Close();
}

void BM_ProgramAnalysisOstrelrun(benchmark::State& state) {
  std::optional<ProgramInputs> in = InputsFor(state, "ostrelrun");
  if (!in) return;
  ostrelrun::OstrelSettings settings;
  frontend::ReadSettingsFile(in->Settings, ostrelrun::OstrelSettingsKeys(settings));
  Ostrel library;
  library.Open(0);
  library.BindImage(in->Bitmap.Header.data(), in->Bitmap.Pixels.data());
  for (auto _ : state) {
    _RESULT_Ostrel result{};
    benchmark::DoNotOptimize(library.Execute(result, settings.Params));
  }
  library.Close();
}

BENCHMARK(BM_ProgramAnalysisWaferonrun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramAnalysisGlazetrun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramAnalysisOstrelrun)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sensor::bench
