#include "frontend/glazetrun/glazet_program.h"

#include "frontend/glazetrun/defect_map_png.h"
#include "frontend/glazetrun/glazet_console.h"
#include "frontend/glazetrun/glazet_verdicts.h"

#include <sys/stat.h>

#include <utility>

namespace sensor::glazetrun {

namespace {

// Whether both paths name one file (the same device and inode).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

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
  // The painted picture is wanted after the run only for -DefectMapPNG; else
  // the library writes its map file from memory of its own and the picture
  // may stay a mapping of its file. Unless the picture is the map file itself,
  // which the run rewrites.
  program.PaintsPictureFor = [](const frontend::CommonOptions& options, const std::string& folder) {
    return options.Products.DefectMapPng.has_value() || !options.BMPFileIn ||
           SameFile(*options.BMPFileIn, folder + "pkgdfects.bmp");
  };
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
