#include "frontend/ostrelrun/ostrel_console.h"

#include "frontend/common/text_format.h"

namespace sensor::ostrelrun {

using frontend::Format;
using frontend::Shown;

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
  text += Format("\tbits per pixel= %ld\n", static_cast<long>(p.SensorBpp));
  text += Format("\tbits for test= %ld\n", static_cast<long>(p.TestBpp));
  text += Format("\tbayer outliers= %ld,%ld,%ld,%ld\n", static_cast<long>(p.OutlierLeft),
                 static_cast<long>(p.OutlierTop), static_cast<long>(p.OutlierRight),
                 static_cast<long>(p.OutlierBottom));
  text += Format("\troi= %.4lf,%.4lf,%.4lf,%.4lf\n", p.RoiLeft, p.RoiTop, p.RoiRight,
                 p.RoiBottom);
  text += Format("\tmode= %s\n", p.BayerMode ? "bayer" : "color");
  return frontend::SettingsEcho{text, true};
}

}  // namespace sensor::ostrelrun
