// Ostrel: measures the five level statistics over a window and reports the
// dimensions of the bound bitmap.
//
// Calling order of a host: Open, BindImage, Execute, get_Ostrel, get_SensorDim,
// Close, Clean. The working state is per process.
#pragma once

#include <cstdint>

#include "sensordefect/Export.h"
#include "sensordefect/Findings.h"
#include "sensordefect/ResultCodes.h"

namespace SensorDefectDetectionClass {

struct _PARAMS_Ostrel {
  bool BayerMode;
  std::int32_t SensorBpp;
  std::int32_t TestBpp;
  std::int32_t OutlierLeft;
  std::int32_t OutlierTop;
  std::int32_t OutlierRight;
  std::int32_t OutlierBottom;
  double RoiLeft;
  double RoiTop;
  double RoiRight;
  double RoiBottom;
};

// Execute neither reads nor writes this record; results come from the getters.
struct _RESULT_Ostrel {
  std::int32_t Reserved;
};

// What the last Execute since Open measured (get_Findings).
struct OstrelFindings {
  // 1 when an Execute since Open placed its window (Width, Height and Window
  // are set); 1 in Measured when it computed the levels.
  std::int32_t Ran;
  std::int32_t Measured;
  std::int32_t Width;
  std::int32_t Height;
  FindingArea Window;  // the picture less the four outlier margins
  double Levels[5];    // R, G, B, G1, G2 as get_Ostrel gives them
};

class SENSORDEFECT_API Ostrel {
 public:
  std::int32_t Open(int debug);
  std::int32_t Close();
  std::int32_t Clean();
  std::int32_t BindImage(unsigned char* header, unsigned char* pixels);
  std::int32_t Execute(_RESULT_Ostrel& result, _PARAMS_Ostrel params);
  std::int32_t get_Ostrel(double* r, double* g, double* b, double* g1, double* g2);
  std::int32_t get_SensorDim(std::int32_t* width, std::int32_t* height);
  // Chooses the folder where the library would leave files (Ostrel writes none
  // today; the member is there so that hosts treat the three alike) for the rest
  // of the process (the library's working state is per process): an absolute path
  // or one against the working directory; "" is the working directory, null
  // restores the default, the running program's directory. The folder must exist;
  // it is neither created nor checked. May be called whether the library is open
  // or not; Open, Close and Clean keep it. S_OK, or E_INVALIDARG for a path longer
  // than the platform's limit. Added after the first release: a member function
  // only, so the class keeps its layout for hosts built before it.
  std::int32_t set_OutputFolder(const char* folder);
  // Fills `findings` with what the last Execute since Open measured (all zero
  // before one). S_OK, or E_ABORT while closed. Added after the first release
  // like set_OutputFolder: a member function only.
  std::int32_t get_Findings(OstrelFindings& findings);

  std::int32_t ActiveSensorBpp;
  std::int32_t ActiveTestBpp;
};

}  // namespace SensorDefectDetectionClass
