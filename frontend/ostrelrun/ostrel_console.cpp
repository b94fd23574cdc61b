#include "frontend/ostrelrun/ostrel_console.h"

#include "frontend/station/settings_echo.h"

namespace sensor::ostrelrun {

std::vector<std::string> OstrelUsageLines() {
  return {
      "\nUSAGE: Ostrelrun (argument list below)\n",
      "[ REQUIRED ]\n",
      "\t-BMPFileIn <*.bmp>\n",
      "[ OPTIONAL ]\n",
      "\t-bayer|color ...default color\n",
      "\t-BitsUsage <n,n> ...<sensor bpp,test bpp> ...default<8,8>\n",
      "\t-BayerOutliers <n,n,n,n> ...<left,top,right,bottom>\n",
      "\t-ROI(%) <f,f,f,f> ...<left,top,right,bottom>\n",
      "[ OPTIONAL ]\n",
      "\t-OutputFile <*.txt>\n",
      "\t-TestLimits <*.txt>\n",
      "\t-LogFile <*.csv> ...pixel histogram\n",
  };
}

frontend::SettingsEcho EchoOstrelSettings(const frontend::CommonOptions& options,
                                          const OstrelSettings& settings) {
  const _PARAMS_Ostrel& p = settings.Params;
  std::string text = frontend::EchoSettingsHead(options);
  text += frontend::EchoBitsUsage(p.SensorBpp, p.TestBpp);
  text += frontend::EchoBayerOutliers(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
  text += frontend::EchoRoi(p.RoiLeft, p.RoiTop, p.RoiRight, p.RoiBottom);
  text += frontend::EchoMode(p.BayerMode);
  return frontend::SettingsEcho{text, true, {}};
}

}  // namespace sensor::ostrelrun
