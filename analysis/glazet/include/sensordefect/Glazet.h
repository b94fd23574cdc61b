// Glazet: finds package defects (blemishes) and paints a defect map.
//
// Calling order of a host: Open, BindImage, Execute, get_Ostrel, Close, Clean.
// Execute overwrites the bound pixel buffer with the black-and-white defect map
// (unless set_KeepPicture asked it not to) and writes it as "pkgdfects.bmp"
// beside the running program, or in the folder chosen with set_OutputFolder.
// The working state is per process: one object at a time may be open.
#pragma once

#include <cstdint>

#include "sensordefect/Export.h"
#include "sensordefect/Findings.h"
#include "sensordefect/ResultCodes.h"

namespace SensorDefectDetectionClass {

struct _PARAMS_Glazet {
  bool BayerMode;
  std::int32_t SensorBpp;
  std::int32_t TestBpp;
  std::int32_t ColorPlane;
  std::int32_t OutlierLeft;
  std::int32_t OutlierTop;
  std::int32_t OutlierRight;
  std::int32_t OutlierBottom;
  double RoiLeft;
  double RoiTop;
  double RoiRight;
  double RoiBottom;
  bool LocalSearch;
  std::int32_t HammerSmall;
  std::int32_t HammerLarge;
  double DefectThreshold;
  std::int32_t ClusterSize;
};

struct _RESULT_Glazet {
  std::int32_t numpackagefects;
};

// One counted blemish: a region of the defect map larger than ClusterSize.
// The centroid is the mean column and row of its pixels.
struct BlemishFinding {
  FindingArea Bounds;
  std::int64_t Pixels;
  double CentroidX;
  double CentroidY;
};

// What the last Execute since Open found (get_Findings). Blemishes points into
// the library's working state: valid until the next Execute, Close or Clean.
struct GlazetFindings {
  // 1 when an Execute since Open placed its areas (Width, Height, ScanArea and
  // RegionOfInterest are set); Searched: the search ran (Candidates is set);
  // Counted: the clusters were counted, or TooMany says that there were more
  // candidates than the limit and none were counted.
  std::int32_t Ran;
  std::int32_t Searched;
  std::int32_t Counted;
  std::int32_t TooMany;
  std::int32_t Width;
  std::int32_t Height;
  FindingArea ScanArea;
  FindingArea RegionOfInterest;
  std::int64_t Candidates;  // the marked pixels of the defect map
  // Every counted blemish, in the order found (top row first); without a stop
  // there are numpackagefects of them.
  const BlemishFinding* Blemishes;
  std::int32_t BlemishCount;
};

// Every member returns S_OK, E_ABORT (not open), E_POINTER (no memory for the
// defect map), E_OUTOFMEMORY (no memory for the rest of a run) or E_INVALIDARG
// (a bad bitmap or record); nothing is thrown.
class SENSORDEFECT_API Glazet {
 public:
  // Zeroes m_params and m_result; a non-zero `debug` makes the stop for too
  // many candidates wait for a key.
  std::int32_t Open(int debug);
  // Close and Clean release the defect map; the binding and the statistics stay.
  std::int32_t Close();
  std::int32_t Clean();
  // Binds a 24- or 32-bit bitmap held by the host; kept until the next bind.
  std::int32_t BindImage(unsigned char* header, unsigned char* pixels);
  // Counts the clusters above ClusterSize (65535 after a stop for too many
  // candidates). Paints the bound pixels black and white and writes
  // "pkgdfects.bmp" in the output folder (set_OutputFolder). With no picture
  // ever bound it analyses a 0 x 0 picture: nothing is found and no file is
  // written. In colour mode ColorPlane is kept in m_params as the byte offset of
  // the tested colour (R 2, G 1, B 0).
  std::int32_t Execute(_RESULT_Glazet& result, _PARAMS_Glazet params);
  std::int32_t get_ParameterSet(_PARAMS_Glazet& params);
  // Writes nothing: the library keeps no cluster table.
  std::int32_t get_Cluster(short index, std::int32_t* x, std::int32_t* y, std::int32_t* size);
  // The level statistics R, G, B, G1, G2 of the scan area of the last run.
  std::int32_t get_Ostrel(double* r, double* g, double* b, double* g1, double* g2);
  // Chooses the folder where Execute writes "pkgdfects.bmp" for the rest of the
  // process (the library's working state is per process): an absolute path or one
  // against the working directory; "" is the working directory, null restores the
  // default, the running program's directory. The folder must exist; it is neither
  // created nor checked. May be called whether the library is open or not; Open,
  // Close and Clean keep it. S_OK, or E_INVALIDARG for a path longer than the
  // platform's limit. Added after the first release: a member function only, so
  // the class keeps its layout for hosts built before it.
  std::int32_t set_OutputFolder(const char* folder);
  // Fills `findings` with what the last Execute since Open found (all zero and
  // empty before one). The blemishes are described from the defect map on the
  // first call after a run (one more pass over the map; Execute itself only
  // counts them). S_OK; E_ABORT while closed; E_OUTOFMEMORY when that pass
  // cannot get its memory (the findings then stay empty). Added after the
  // first release like set_OutputFolder: a member function only.
  std::int32_t get_Findings(GlazetFindings& findings);
  // A non-zero `keep` makes the following Executes leave the bound pixels as
  // they are: "pkgdfects.bmp" is written with the same bytes, painted in
  // memory of the library's own, so that a host may bind a buffer it reads
  // again afterwards or one it cannot afford to have written (a mapped file).
  // 0, and every Open, restore the painting. S_OK; E_ABORT while closed.
  // Added after the first release like set_OutputFolder: a member function only.
  std::int32_t set_KeepPicture(int keep);

  std::int32_t ActiveSensorBpp;
  std::int32_t ActiveTestBpp;
  _PARAMS_Glazet m_params;
  _RESULT_Glazet m_result;
};

}  // namespace SensorDefectDetectionClass
