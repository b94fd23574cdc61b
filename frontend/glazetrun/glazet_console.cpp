#include "frontend/glazetrun/glazet_console.h"

#include <array>

#include "frontend/station/settings_echo.h"
#include "frontend/common/text_format.h"

namespace sensor::glazetrun {

using frontend::Format;
using namespace SensorDefectDetectionClass;

std::vector<std::string> GlazetUsageLines() {
  return {
      "\nUSAGE: Glazetrun (argument list below)\n",
      "[ REQUIRED ]\n",
      "\t-BMPFileIn <*.bmp>\n",
      "\t-BitsUsage <n,n> ...<sensor bpp,test bpp>\n",
      "\t-DefectThreshold(%) <f>\n",
      "[ OPTIONAL ]\n",
      "\t-ClusterSize <n> ...above n considered defect\n",
      "\t-HammerSize <n,n>\n",
      "\t-BayerOutliers <n,n,n,n> ...<left,top,right,bottom>\n",
      "\t-ROI(%) <f,f,f,f> ...<left,top,right,bottom>\n",
      "\t-<BayerMode|ColorMode> ...default bayer\n",
      "\t-Color <text> ...default R, {R,G,B,G1,G2}\n",
      "\t-<LocalSearch|GlobalSearch> ...default local search\n",
      "[ OPTIONAL ]\n",
      "\t-OutputFile <*.txt>\n",
      "\t-TestLimits <*.txt>\n",
      "\t-LogFile <*.csv>\n",
  };
}

frontend::SettingsEcho EchoGlazetSettings(const frontend::CommonOptions& options,
                                          const GlazetSettings& settings) {
  const _PARAMS_Glazet& p = settings.Params;
  std::string text = frontend::EchoSettingsHead(options);
  text += frontend::EchoBitsUsage(p.SensorBpp, p.TestBpp);
  text += Format("\tcluster size= %d\n", p.ClusterSize);
  text += Format("\thammer size= %ld,%ld\n", static_cast<long>(p.HammerSmall),
                 static_cast<long>(p.HammerLarge));
  text += frontend::EchoBayerOutliers(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
  text += frontend::EchoRoi(p.RoiLeft, p.RoiTop, p.RoiRight, p.RoiBottom);
  // The threshold shares its line with the colour.
  text += Format("\tdefect threshold= %.2lf", p.DefectThreshold);
  constexpr std::array<const char*, 5> kColourLines = {
      "\tcolor= R\n", "\tcolor= G\n", "\tcolor= B\n", "\tcolor= G1\n", "\tcolor= G2\n"};
  if (p.ColorPlane >= COLOUR_R && p.ColorPlane <= COLOUR_G2) {
    text += kColourLines[static_cast<std::size_t>(p.ColorPlane)];
  }
  text += frontend::EchoMode(p.BayerMode);

  bool plausible = true;
  std::string problem;
  if (p.BayerMode && p.ColorPlane == COLOUR_G) {
    text += "\tcolor G for bayer mode?";
    plausible = false;
    problem = "Color=G is no plane of a Bayer picture; choose R, G1, G2 or B (or ColorMode for G)";
  } else if (!p.BayerMode && (p.ColorPlane == COLOUR_G1 || p.ColorPlane == COLOUR_G2)) {
    text += "\tcolor !R,G,B for color mode?";
    plausible = false;
    problem = "Color=G1 and G2 are planes of Bayer pictures only; choose R, G or B (or BayerMode)";
  }
  return frontend::SettingsEcho{text, plausible, problem};
}

}  // namespace sensor::glazetrun
