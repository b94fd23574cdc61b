#include "frontend/waferonrun/waferon_program.h"

#include "frontend/waferonrun/defect_list.h"
#include "frontend/waferonrun/waferon_console.h"
#include "frontend/waferonrun/waferon_verdicts.h"

namespace sensor::waferonrun {

frontend::ProgramDescription DescribeWaferonrun(
    WaferonSettings& settings, std::function<frontend::ResultCode(frontend::RunContext&)> driver) {
  frontend::ProgramDescription program;
  program.LibraryFileName = "libWaferon.so";
  program.Products = frontend::StandardProducts({DefectListProduct()});
  program.Settings =
      frontend::WithLaterSettings(frontend::WithProductSettings(WaferonSettingTable(settings), program.Products));
  program.UsageLines = WaferonUsageLines();
  program.Echo = [&settings](const frontend::CommonOptions& options) {
    return EchoWaferonSettings(options, settings);
  };
  program.Limits = WaferonLimitsRules();
  program.Verdicts = WaferonVerdicts();
  program.Layout = WaferonLayout();
  program.Picture = [&settings] {
    return frontend::PictureRequest{settings.Params.BayerMode != 0, settings.Params.SensorBpp};
  };
  program.SettingFacts = [&settings] { return WaferonSettingFacts(settings); };
  // Every counted pixel or cluster was a candidate, and the candidates are dumped.
  program.LibraryFiles = [](const frontend::VerdictTable& values) {
    const bool counted = values[kPixelsTotal].Count() > 0 || values[kClustersTotal].Count() > 0;
    return counted ? std::vector<std::string>{"DefectsDump.csv"} : std::vector<std::string>{};
  };
  program.RunLibrary = std::move(driver);
  return program;
}

}  // namespace sensor::waferonrun
