#include "frontend/waferonrun/waferon_console.h"

#include "frontend/station/settings_echo.h"
#include "frontend/common/text_format.h"

namespace sensor::waferonrun {

using frontend::Format;

std::vector<std::string> WaferonUsageLines() {
  return {
      "\nUSAGE: Waferonrun (argument list below)\n",
      "[ REQUIRED ]\n",
      "\t-BMPFileIn <*.bmp>\n",
      "\t-BitsUsage <n,n> ...<sensor bpp,test bpp>\n",
      "\t-ClusterThreshold(%) <f,f,f,f,f,f,f,f,f,f> or\n",
      "\t-ClusterThreshold(-) <n,n,n,n,n,n,n,n,n,n> ...<center R,G,B,G1,G2,side R,G,B,G1,G2>\n",
      "\t-PixelThreshold(%) <f,f,f,f,f,f,f,f,f,f> or\n",
      "\t-PixelThreshold(-) <n,n,n,n,n,n,n,n,n,n> ...<center R,G,B,G1,G2,side R,G,B,G1,G2>\n",
      "[ OPTIONAL ]\n",
      "\t-ClusterSize <n> ...default 2\n",
      "\t-HammerSize <n> ...default 11\n",
      "\t-BayerOutliers <n,n,n,n> ...<left,top,right,bottom>\n",
      "\t-CenterROI(%) <f,f,f,f> ...<left,top,right,bottom>\n",
      "\t-<BayerMode|ColorMode> ...default bayer\n",
      "\t-<LocalSearch|GlobalSearch> ...default local search\n",
      "[ OPTIONAL ]\n",
      "\t-OutputFile <*.txt>\n",
      "\t-TestLimits <*.txt>\n",
      "\t-LogFile <*.csv>\n",
  };
}

namespace {

// One zone's cluster and pixel thresholds share an output line.
std::string ThresholdLines(const double (&cluster)[5], const double (&pixel)[5], bool percent) {
  const char* clusterFormat =
      percent ? "\tcluster threshold: R=%.2lf%%,G=%.2lf%%,B=%.2lf%%,G1=%.2lf%%,G2=%.2lf%%"
              : "\tcluster threshold: R=%.2lf,G=%.2lf,B=%.2lf,G1=%.2lf,G2=%.2lf";
  const char* pixelFormat =
      percent ? "\tpixel threshold= R=%.2lf%%,G=%.2lf%%,B=%.2lf%%,G1=%.2lf%%,G2=%.2lf%%\n"
              : "\tpixel threshold= R=%.2lf,G=%.2lf,B=%.2lf,G1=%.2lf,G2=%.2lf\n";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  return Format(clusterFormat, cluster[0], cluster[1], cluster[2], cluster[3], cluster[4]) +
         Format(pixelFormat, pixel[0], pixel[1], pixel[2], pixel[3], pixel[4]);
#pragma GCC diagnostic pop
}

}  // namespace

frontend::SettingsEcho EchoWaferonSettings(const frontend::CommonOptions& options,
                                           const WaferonSettings& settings) {
  const _PARAMS_Waferon& p = settings.Params;
  const bool percent = p.ThresholdPercent == 1;
  std::string text = frontend::EchoSettingsHead(options);
  text += frontend::EchoBitsUsage(p.SensorBpp, p.TestBpp);
  text += Format("\tcluster size= %d\n", p.ClusterSize);
  text += Format("\thammer size= %ld\n", static_cast<long>(p.HammerSize));
  text += frontend::EchoBayerOutliers(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
  text += frontend::EchoRoi(p.CenterLeft, p.CenterTop, p.CenterRight, p.CenterBottom);
  text += "\tcenter:\n";
  text += ThresholdLines(p.CenterClusterThreshold, p.CenterPixelThreshold, percent);
  text += "\tside:\n";
  text += ThresholdLines(p.SideClusterThreshold, p.SidePixelThreshold, percent);
  text += frontend::EchoMode(p.BayerMode == 1);
  text += Format("\tsearching= %s\n", p.LocalSearch == 1 ? "local" : "global");
  return frontend::SettingsEcho{text, true, {}};
}

}  // namespace sensor::waferonrun
