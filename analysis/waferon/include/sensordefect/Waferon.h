// Waferon: finds defective pixels and clusters in the sensor's silicon.
//
// Calling order of a host: Open, BindImage, set_TableSize, Execute, then the
// getters, then Close and Clean. The working state is per process: one object
// at a time may be open.
//
// Every member returns a result code and never throws. While the library is
// closed every member but Open, Close and Clean returns E_ABORT. A table or
// list that cannot be allocated makes the member return E_OUTOFMEMORY. The
// getters leave out any output pointer that is null.
#pragma once

#include <cstdint>

#include "sensordefect/Export.h"
#include "sensordefect/Findings.h"
#include "sensordefect/ResultCodes.h"

namespace SensorDefectDetectionClass {

struct _PARAMS_Waferon {
  std::uint8_t BayerMode;
  std::int32_t SensorBpp;
  std::int32_t TestBpp;
  std::int32_t OutlierLeft;
  std::int32_t OutlierTop;
  std::int32_t OutlierRight;
  std::int32_t OutlierBottom;
  double CenterLeft;
  double CenterTop;
  double CenterRight;
  double CenterBottom;
  std::uint8_t LocalSearch;
  std::uint8_t CountPixels;
  std::uint8_t FindClusters;
  std::int32_t ClusterSize;
  std::int32_t HammerSize;
  double CenterClusterThreshold[5];
  double SideClusterThreshold[5];
  double CenterPixelThreshold[5];
  double SidePixelThreshold[5];
  std::uint8_t ThresholdPercent;
};

struct _RESULT_Waferon {
  std::int32_t CenterClusters;
  std::int32_t CenterPixels;
  std::int32_t SideClusters;
  std::int32_t SidePixels;
};

// Entry of the worst-pixel and cluster tables. X = Y = -1 with Score 0.0 is empty.
struct DefectRecord {
  std::int32_t X;
  std::int32_t Y;
  double Score;
  std::int32_t Colour;
  std::int32_t Reserved;
};

// One counted cluster: its peak (the highest-scoring member) and how many
// candidates it holds.
struct ClusterFinding {
  std::int32_t X;
  std::int32_t Y;
  double Score;
  std::int32_t Colour;
  std::int32_t Members;
};

// What the last Execute since Open found, for hosts that show or hand on more
// than the counts (get_Findings). The lists point into the library's working
// state: they stay valid until the next Execute, set_TableSize, Close or Clean.
struct WaferonFindings {
  // 1 when an Execute since Open placed its areas (then Width, Height and the
  // two areas are set); 1 in Finished when that run came to its end (completed,
  // or stopped on the candidate limit, then Stopped is 1 too): the lists and
  // Counts are then final.
  std::int32_t Ran;
  std::int32_t Finished;
  std::int32_t Stopped;
  std::int32_t Width;
  std::int32_t Height;
  FindingArea SearchRegion;  // the picture less the four outlier margins
  FindingArea CenterZone;    // the centre zone, not clipped to the search region
  _RESULT_Waferon Counts;    // as the result record of Execute
  // Every candidate in list order (the order of "DefectsDump.csv").
  const DefectRecord* Candidates;
  std::int32_t CandidateCount;
  // The worst-pixel table in its order, empty entries (X = Y = -1) left out;
  // none without a table (set_TableSize).
  const DefectRecord* WorstPixels;
  std::int32_t WorstPixelCount;
  // Every counted cluster in the order counted; there are CenterClusters +
  // SideClusters of them (the cluster table keeps only the highest).
  const ClusterFinding* Clusters;
  std::int32_t ClusterCount;
};

class SENSORDEFECT_API Waferon {
 public:
  std::int32_t Open(int flag);
  std::int32_t Close();
  std::int32_t Clean();
  std::int32_t get_ParameterSet(_PARAMS_Waferon& params);
  std::int32_t set_TableSize(std::int32_t size);
  std::int32_t get_SingleDefect(short index, std::int32_t* x, std::int32_t* y, double* score);
  std::int32_t get_Cluster(short index, std::int32_t* x, std::int32_t* y, double* score,
                           std::int32_t* reserved);
  std::int32_t get_Ostrel(double* r, double* g, double* b, double* g1, double* g2);
  std::int32_t BindImage(unsigned char* header, unsigned char* pixels);
  std::int32_t Execute(_RESULT_Waferon& result, _PARAMS_Waferon params, int enableR,
                       int enableG, int enableB, int enableG1, int enableG2);
  // Chooses the folder where Execute writes "DefectsDump.csv",
  // "Worst<N>Pixels.csv" and "AllClusters.csv" for the rest of the process (the
  // library's working state is per process): an absolute path or one against the
  // working directory; "" is the working directory, null restores the default, the
  // running program's directory. The folder must exist; it is neither created nor
  // checked. May be called whether the library is open or not; Open, Close and
  // Clean keep it. S_OK, or E_INVALIDARG for a path longer than the platform's
  // limit. Added after the first release: a member function only, so the class
  // keeps its layout for hosts built before it.
  std::int32_t set_OutputFolder(const char* folder);
  // Fills `findings` with what the last Execute since Open found (all zero and
  // empty before one). S_OK, or E_ABORT while closed. Added after the first
  // release like set_OutputFolder: a member function only.
  std::int32_t get_Findings(WaferonFindings& findings);
  // Hands out whether each candidate of get_Findings lay above its reference
  // (1, a hot pixel) or not (0, a dark one): `*hot` points at `*count` bytes in
  // the order of WaferonFindings::Candidates, valid as long as that list.
  // Null and 0 before a run since Open came to its end. S_OK, or E_ABORT while
  // closed; a null output is left out. Added after the first release like
  // set_OutputFolder: a member function only.
  std::int32_t get_CandidateSides(const std::int8_t** hot, std::int32_t* count);

  std::int32_t ActiveSensorBpp;
  std::int32_t ActiveTestBpp;
  _PARAMS_Waferon Params;
  _RESULT_Waferon Results;
};

}  // namespace SensorDefectDetectionClass
