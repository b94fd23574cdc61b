#include "frontend/station/settings_echo.h"

#include "frontend/common/text_format.h"

namespace sensor::frontend {

std::string EchoSettingsHead(const CommonOptions& options) {
  std::string text = "\nsettings:\n";
  text += Format("\tstatus file= %s\n", Shown(options.OutputFile));
  text += Format("\tdata log file= %s\n", Shown(options.LogFile));
  text += Format("\ttest limit file= %s\n", Shown(options.TestLimits));
  text += Format("\tBMP file input= %s\n", Shown(options.BMPFileIn));
  return text;
}

std::string EchoBitsUsage(std::int32_t sensorBpp, std::int32_t testBpp) {
  return Format("\tbits per pixel= %ld\n\tbits for test= %ld\n", static_cast<long>(sensorBpp),
                static_cast<long>(testBpp));
}

std::string EchoBayerOutliers(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom) {
  return Format("\tbayer outliers= %ld,%ld,%ld,%ld\n", static_cast<long>(left),
                static_cast<long>(top), static_cast<long>(right), static_cast<long>(bottom));
}

std::string EchoRoi(double left, double top, double right, double bottom) {
  return Format("\troi= %.4lf,%.4lf,%.4lf,%.4lf\n", left, top, right, bottom);
}

std::string EchoMode(bool bayer) { return Format("\tmode= %s\n", bayer ? "bayer" : "color"); }

}  // namespace sensor::frontend
