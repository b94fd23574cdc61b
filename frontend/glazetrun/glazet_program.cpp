#include "frontend/glazetrun/glazet_program.h"

#include "frontend/glazetrun/defect_map_png.h"
#include "frontend/glazetrun/glazet_console.h"
#include "frontend/glazetrun/glazet_verdicts.h"

#include <utility>

namespace sensor::glazetrun {

frontend::ProgramDescription DescribeGlazetrun(
    GlazetSettings& settings, std::function<frontend::ResultCode(frontend::RunContext&)> driver) {
  frontend::ProgramDescription program;
  program.LibraryFileName = "libGlazet.so";
  program.Products = frontend::StandardProducts({DefectMapPngProduct()});
  program.Settings = frontend::WithProductSettings(GlazetSettingTable(settings), program.Products);
  program.Settings.push_back(frontend::OptionOnly(frontend::OptionSpec{
      "KeepDefectMap", false, [](frontend::CommonOptions& o, const char*) { o.KeepDefectMap = true; }}));
  program.Settings = frontend::WithLaterSettings(std::move(program.Settings));
  program.UsageLines = GlazetUsageLines();
  program.Echo = [&settings](const frontend::CommonOptions& options) {
    return EchoGlazetSettings(options, settings);
  };
  program.Limits = GlazetLimitsRules();
  program.Verdicts = GlazetVerdicts();
  program.Layout = GlazetLayout();
  program.PaintsPicture = true;
  program.Picture = [&settings] {
    return frontend::PictureRequest{settings.Params.BayerMode != 0, settings.Params.SensorBpp};
  };
  program.SettingFacts = [&settings] { return GlazetSettingFacts(settings); };
  // The defect map is left after every analysis that ended with 0.
  program.LibraryFiles = [](const frontend::VerdictTable&) { return std::vector<std::string>{"pkgdfects.bmp"}; };
  program.RunLibrary = std::move(driver);
  return program;
}

}  // namespace sensor::glazetrun
