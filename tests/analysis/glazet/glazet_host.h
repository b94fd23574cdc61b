// Drives the shipped libGlazet.so the way a host does, with the console output
// of each run captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sensordefect/Glazet.h"
#include "test_image.h"

namespace sensor::glazet::test {

using namespace SensorDefectDetectionClass;

// Colour mode, global search, whole picture, window 1 of 3, T 10, clusters above 0.
inline _PARAMS_Glazet ColourParams() {
  _PARAMS_Glazet p{};
  p.BayerMode = false;
  p.ColorPlane = 1;
  p.RoiLeft = 0.0;
  p.RoiTop = 0.0;
  p.RoiRight = 1.0;
  p.RoiBottom = 1.0;
  p.HammerSmall = 1;
  p.HammerLarge = 3;
  p.DefectThreshold = 10.0;
  p.ClusterSize = 0;
  return p;
}

// Bayer mode at 12 of 12 bits, testing R, otherwise as ColourParams.
inline _PARAMS_Glazet BayerParams() {
  _PARAMS_Glazet p = ColourParams();
  p.BayerMode = true;
  p.SensorBpp = 12;
  p.TestBpp = 12;
  p.ColorPlane = 0;
  return p;
}

struct Levels {
  double R = -1, G = -1, B = -1, G1 = -1, G2 = -1;
  bool operator==(const Levels&) const = default;
};

class GlazetHost : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(glazet.Open(0), S_OK); }
  void TearDown() override { glazet.Close(); }

  std::int32_t Bind(sensor::test::TestImage& image) {
    return glazet.BindImage(image.Header(), image.Pixels());
  }
  // Execute with the console captured into `output`.
  std::int32_t Run(const _PARAMS_Glazet& params) {
    ::testing::internal::CaptureStdout();
    const std::int32_t code = glazet.Execute(result, params);
    output = ::testing::internal::GetCapturedStdout();
    return code;
  }
  Levels Statistics() {
    Levels l;
    EXPECT_EQ(glazet.get_Ostrel(&l.R, &l.G, &l.B, &l.G1, &l.G2), S_OK);
    return l;
  }

  Glazet glazet{};
  _RESULT_Glazet result{-7};
  std::string output;
};

}  // namespace sensor::glazet::test
