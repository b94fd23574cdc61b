// Waferon in memory: finds defective pixels and clusters in a picture held by
// the caller and returns everything it found as a plain value.
//
//   sensordefect::WaferonAnalyser analyser;            // owns reusable memory
//   sensordefect::WaferonResult result = analyser.Run(view, params);
//   if (!result.Status.Ok()) { /* result.Status.Message says why */ }
//
// Nothing here throws, prints, writes a file, waits or touches state shared
// with other calls: any number of analysers may run at once on different
// threads (one call at a time per analyser). Each run starts afresh; unlike the
// station class (Waferon.h), no list or level is carried from an earlier run.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sensordefect/Export.h"
#include "sensordefect/ImageView.h"
#include "sensordefect/Waferon.h"

namespace sensordefect {

// The parameters of one run, with the meaning of the station's record
// (_PARAMS_Waferon). The defaults are the shipped example settings
// (examples/waferonrun/settings.ini: a 10-bit Bayer sensor tested at 10 bits,
// local search), a sensible first call.
struct WaferonParams {
  bool BayerMode = true;
  std::int32_t SensorBpp = 10;  // Bayer mode: 8, 10 or 12
  std::int32_t TestBpp = 10;    // Bayer mode: 8, 10 or 12, at most SensorBpp
  // Margins in pixels left out of the search region.
  std::int32_t OutlierLeft = 2;
  std::int32_t OutlierTop = 2;
  std::int32_t OutlierRight = 2;
  std::int32_t OutlierBottom = 2;
  // The centre zone as fractions of the picture's width and height.
  double CenterLeft = 0.25;
  double CenterTop = 0.25;
  double CenterRight = 0.75;
  double CenterBottom = 0.75;
  bool LocalSearch = true;       // reference: local window mean, else the region's level
  bool CountPixels = true;       // count single defective pixels
  bool FindClusters = true;      // count clusters
  std::int32_t ClusterSize = 2;  // members a cluster needs
  std::int32_t HammerSize = 11;  // local search window, pixels
  // Thresholds by colour R, G, B, G1, G2 (colour mode reads the first three).
  double CenterClusterThreshold[5] = {60, 60, 60, 60, 60};
  double SideClusterThreshold[5] = {80, 80, 80, 80, 80};
  double CenterPixelThreshold[5] = {60, 60, 60, 60, 60};
  double SidePixelThreshold[5] = {80, 80, 80, 80, 80};
  bool ThresholdPercent = false;  // thresholds in percent of the reference, else in sample counts
  // Colours the Bayer local search tests (R, G, B, G1, G2; G has no Bayer site).
  bool Enabled[5] = {true, false, true, true, true};
  // Entries of the worst-pixel and cluster tables; 0 keeps no tables.
  std::int32_t TableSize = 64;
};

// The station record with the same values, and back (Enabled and TableSize
// are not part of the record).
SENSORDEFECT_API SensorDefectDetectionClass::_PARAMS_Waferon ToStationRecord(const WaferonParams& params);
SENSORDEFECT_API WaferonParams FromStationRecord(const SensorDefectDetectionClass::_PARAMS_Waferon& record);

// One candidate: a pixel whose score passed a threshold.
struct WaferonCandidate {
  std::int32_t X = -1;
  std::int32_t Y = -1;
  double Score = 0.0;        // deviation from the reference (in percent with ThresholdPercent)
  std::int32_t Colour = 0;   // R 0, G 1, B 2, G1 3, G2 4
  bool Hot = false;          // the pixel lies above its reference (else below: dark)
};

// One counted cluster: its peak (highest-scoring member) and its member count.
struct WaferonCluster {
  std::int32_t X = -1;
  std::int32_t Y = -1;
  double Score = 0.0;
  std::int32_t Colour = 0;
  std::int32_t Members = 0;
};

struct WaferonCounts {
  std::int32_t CenterClusters = 0;
  std::int32_t CenterPixels = 0;
  std::int32_t SideClusters = 0;
  std::int32_t SidePixels = 0;
};

struct WaferonResult {
  RunStatus Status;          // E_ABORT with Stopped: the candidate limit was reached
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Area SearchRegion;         // the picture less the four outlier margins
  Area CenterZone;           // not clipped to the search region
  bool LevelsMeasured = false;
  LevelValues Levels{};          // over the search region
  bool Finished = false;     // the run came to its end (completed or stopped)
  bool Stopped = false;      // stopped on the candidate limit (65535)
  WaferonCounts Counts;
  std::vector<WaferonCandidate> Candidates;   // every candidate, in scan order
  std::vector<WaferonCandidate> WorstPixels;  // the sorted worst-pixel table, empty entries left out
  std::vector<WaferonCandidate> ClusterTable; // the sorted cluster table, empty entries left out
  std::vector<WaferonCluster> Clusters;       // every counted cluster, in the order counted
};

// Owns the working memory of the analysis (lists, indexes, grids), kept for the
// next call. Movable, not copyable.
class SENSORDEFECT_API WaferonAnalyser {
 public:
  WaferonAnalyser() noexcept;
  ~WaferonAnalyser();
  WaferonAnalyser(WaferonAnalyser&&) noexcept;
  WaferonAnalyser& operator=(WaferonAnalyser&&) noexcept;
  WaferonAnalyser(const WaferonAnalyser&) = delete;
  WaferonAnalyser& operator=(const WaferonAnalyser&) = delete;

  WaferonResult Run(const ImageView& view, const WaferonParams& params, const RunOptions& options = {}) noexcept;
  // The same, into `result`, whose memory is reused (a host that hands back
  // its previous result allocates nothing new in steady state).
  void Run(const ImageView& view, const WaferonParams& params, const RunOptions& options,
           WaferonResult& result) noexcept;

 private:
  struct Memory;
  std::unique_ptr<Memory> memory_;
};

// One-off use: a fresh analyser for one call.
SENSORDEFECT_API WaferonResult AnalyseWaferon(const ImageView& view, const WaferonParams& params,
                                              const RunOptions& options = {}) noexcept;

}  // namespace sensordefect
