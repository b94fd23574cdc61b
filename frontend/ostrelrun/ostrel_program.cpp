#include "frontend/ostrelrun/ostrel_program.h"

#include "frontend/ostrelrun/ostrel_console.h"
#include "frontend/ostrelrun/ostrel_verdicts.h"

namespace sensor::ostrelrun {

frontend::ProgramDescription DescribeOstrelrun(
    OstrelSettings& settings, std::function<frontend::ResultCode(frontend::RunContext&)> driver) {
  frontend::ProgramDescription program;
  program.LibraryFileName = "libOstrel.so";
  program.Products = frontend::StandardProducts({});
  program.Settings =
      frontend::WithLaterSettings(frontend::WithProductSettings(OstrelSettingTable(settings), program.Products));
  program.UsageLines = OstrelUsageLines();
  program.Echo = [&settings](const frontend::CommonOptions& options) {
    return EchoOstrelSettings(options, settings);
  };
  program.Limits = OstrelLimitsRules();
  program.Verdicts = OstrelVerdicts();
  program.Layout = OstrelLayout();
  program.Picture = [&settings] {
    return frontend::PictureRequest{settings.Params.BayerMode != 0, settings.Params.SensorBpp};
  };
  program.SettingFacts = [&settings] { return OstrelSettingFacts(settings); };
  program.RunLibrary = std::move(driver);
  return program;
}

}  // namespace sensor::ostrelrun
