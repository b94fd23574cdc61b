// Glazet in memory: finds package defects (blemishes) in a picture held by the
// caller and returns them with the defect map as a plain value. The caller's
// pixels are never painted: the map is a plane of the result.
//
// Nothing here throws, prints, writes a file, waits or touches state shared
// with other calls: any number of analysers may run at once on different
// threads (one call at a time per analyser).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sensordefect/Export.h"
#include "sensordefect/Glazet.h"
#include "sensordefect/ImageView.h"

namespace sensordefect {

// The parameters of one run, with the meaning of the station's record
// (_PARAMS_Glazet). The defaults are the shipped example settings
// (examples/glazetrun/settings.ini: a 10-bit Bayer sensor, the G1 sites, a
// 5-site window against the 31-site window around it, 6 % threshold).
struct GlazetParams {
  bool BayerMode = true;
  std::int32_t SensorBpp = 10;
  std::int32_t TestBpp = 10;
  // The colour searched: R 0, G 1, B 2, G1 3, G2 4 (colour mode: R, G or B).
  std::int32_t ColorPlane = 3;
  std::int32_t OutlierLeft = 2;
  std::int32_t OutlierTop = 2;
  std::int32_t OutlierRight = 2;
  std::int32_t OutlierBottom = 2;
  // The region of interest as fractions of the picture's width and height.
  double RoiLeft = 0.0;
  double RoiTop = 0.0;
  double RoiRight = 1.0;
  double RoiBottom = 1.0;
  bool LocalSearch = true;
  std::int32_t HammerSmall = 5;
  std::int32_t HammerLarge = 31;
  double DefectThreshold = 6.0;  // as the program keeps DefectThreshold(%)
  std::int32_t ClusterSize = 8;  // a blemish has more pixels than this
};

// The station record with the same values, and back.
SENSORDEFECT_API SensorDefectDetectionClass::_PARAMS_Glazet ToStationRecord(const GlazetParams& params);
SENSORDEFECT_API GlazetParams FromStationRecord(const SensorDefectDetectionClass::_PARAMS_Glazet& record);

struct GlazetBlemish {
  Area Bounds;
  std::int64_t Pixels = 0;
  double CentroidX = 0.0;  // mean column of its pixels
  double CentroidY = 0.0;  // mean row of its pixels
};

struct GlazetResult {
  RunStatus Status;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Area ScanArea;
  Area RegionOfInterest;
  bool LevelsMeasured = false;
  LevelValues Levels{};                 // over the scan area
  bool Searched = false;
  std::int64_t Candidates = 0;      // marked pixels of the defect map
  // More candidates than the limit (65535): no clusters counted, BlemishCount
  // stands at the limit and Blemishes is empty.
  bool TooMany = false;
  bool Counted = false;
  std::int32_t BlemishCount = 0;    // the station's numpackagefects
  std::vector<GlazetBlemish> Blemishes;  // in the order found (top row first)
  // Width x Height bytes, row 0 the top row: 255 for a candidate (where the
  // station paints the picture black), 0 elsewhere (painted white). Empty when
  // the search did not run.
  std::vector<std::uint8_t> DefectMap;
};

class SENSORDEFECT_API GlazetAnalyser {
 public:
  GlazetAnalyser() noexcept;
  ~GlazetAnalyser();
  GlazetAnalyser(GlazetAnalyser&&) noexcept;
  GlazetAnalyser& operator=(GlazetAnalyser&&) noexcept;
  GlazetAnalyser(const GlazetAnalyser&) = delete;
  GlazetAnalyser& operator=(const GlazetAnalyser&) = delete;

  GlazetResult Run(const ImageView& view, const GlazetParams& params, const RunOptions& options = {}) noexcept;
  void Run(const ImageView& view, const GlazetParams& params, const RunOptions& options,
           GlazetResult& result) noexcept;

 private:
  struct Memory;
  std::unique_ptr<Memory> memory_;
};

SENSORDEFECT_API GlazetResult AnalyseGlazet(const ImageView& view, const GlazetParams& params,
                                            const RunOptions& options = {}) noexcept;

}  // namespace sensordefect
