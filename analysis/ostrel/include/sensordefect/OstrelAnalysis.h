// Ostrel in memory: the five level statistics and the dimensions of a picture
// held by the caller, as a plain value.
//
// Nothing here throws, prints, writes a file, waits or touches state shared
// with other calls.
#pragma once

#include <cstdint>
#include <memory>

#include "sensordefect/Export.h"
#include "sensordefect/ImageView.h"
#include "sensordefect/Ostrel.h"

namespace sensordefect {

// The parameters of one run, with the meaning of the station's record
// (_PARAMS_Ostrel). The defaults are the shipped example settings
// (examples/ostrelrun/settings.ini: a 10-bit Bayer sensor, two-pixel margins).
struct OstrelParams {
  bool BayerMode = true;
  std::int32_t SensorBpp = 10;
  std::int32_t TestBpp = 10;
  std::int32_t OutlierLeft = 2;
  std::int32_t OutlierTop = 2;
  std::int32_t OutlierRight = 2;
  std::int32_t OutlierBottom = 2;
  double RoiLeft = 0.0;
  double RoiTop = 0.0;
  double RoiRight = 1.0;
  double RoiBottom = 1.0;
};

SENSORDEFECT_API SensorDefectDetectionClass::_PARAMS_Ostrel ToStationRecord(const OstrelParams& params);
SENSORDEFECT_API OstrelParams FromStationRecord(const SensorDefectDetectionClass::_PARAMS_Ostrel& record);

struct OstrelResult {
  RunStatus Status;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Area Window;              // the picture less the four outlier margins
  bool Measured = false;
  LevelValues Levels{};
};

class SENSORDEFECT_API OstrelAnalyser {
 public:
  OstrelAnalyser() noexcept;
  ~OstrelAnalyser();
  OstrelAnalyser(OstrelAnalyser&&) noexcept;
  OstrelAnalyser& operator=(OstrelAnalyser&&) noexcept;
  OstrelAnalyser(const OstrelAnalyser&) = delete;
  OstrelAnalyser& operator=(const OstrelAnalyser&) = delete;

  OstrelResult Run(const ImageView& view, const OstrelParams& params, const RunOptions& options = {}) noexcept;
  void Run(const ImageView& view, const OstrelParams& params, const RunOptions& options,
           OstrelResult& result) noexcept;

 private:
  struct Memory;
  std::unique_ptr<Memory> memory_;
};

SENSORDEFECT_API OstrelResult AnalyseOstrel(const ImageView& view, const OstrelParams& params,
                                            const RunOptions& options = {}) noexcept;

}  // namespace sensordefect
