// Glazet: finds package defects (blemishes) and paints a defect map.
//
// Calling order of a host: Open, BindImage, Execute, get_Ostrel, Close, Clean.
// Execute overwrites the bound pixel buffer with the black-and-white defect map
// and writes it as "pkgdfects.bmp" beside the running program. The working state
// is per process: one object at a time may be open.
#pragma once

#include <cstdint>

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

class SENSORDEFECT_API Glazet {
 public:
  std::int32_t Open(int debug);
  std::int32_t Close();
  std::int32_t Clean();
  std::int32_t BindImage(unsigned char* header, unsigned char* pixels);
  std::int32_t Execute(_RESULT_Glazet& result, _PARAMS_Glazet params);
  std::int32_t get_ParameterSet(_PARAMS_Glazet& params);
  std::int32_t get_Cluster(short index, std::int32_t* x, std::int32_t* y, std::int32_t* size);
  std::int32_t get_Ostrel(double* r, double* g, double* b, double* g1, double* g2);

  std::int32_t ActiveSensorBpp;
  std::int32_t ActiveTestBpp;
  _PARAMS_Glazet m_params;
  _RESULT_Glazet m_result;
};

}  // namespace SensorDefectDetectionClass
