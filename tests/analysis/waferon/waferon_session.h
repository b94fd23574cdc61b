// An opened chip library for one test: opened on construction, closed (which
// empties the lists) on destruction, with helpers to build parameter records.
#pragma once

#include <cstdint>
#include <string>

#include "sensordefect/Waferon.h"
#include "test_image.h"

namespace sensor::waferon::test {

using namespace SensorDefectDetectionClass;

class Session {
 public:
  Session() {
    library.Open(0);
    library.get_ParameterSet(defaults_);
  }
  ~Session() { library.Close(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The record Open set (get_ParameterSet returns the last Execute's).
  _PARAMS_Waferon Defaults() const { return defaults_; }

  std::int32_t Bind(sensor::test::TestImage& image) {
    return library.BindImage(image.Header(), image.Pixels());
  }

  std::int32_t Run(const _PARAMS_Waferon& params, _RESULT_Waferon& result) {
    return library.Execute(result, params, 1, 1, 1, 1, 1);
  }

  Waferon library;

 private:
  _PARAMS_Waferon defaults_;
};

// Every entry of the four threshold arrays set to `value`.
inline void SetThresholds(_PARAMS_Waferon& p, double value) {
  for (int c = 0; c < 5; ++c) {
    p.CenterClusterThreshold[c] = p.SideClusterThreshold[c] = value;
    p.CenterPixelThreshold[c] = p.SidePixelThreshold[c] = value;
  }
}

// Colour mode, global search, no margins, every threshold at `threshold`.
inline _PARAMS_Waferon ColourParams(Session& s, double threshold) {
  _PARAMS_Waferon p = s.Defaults();
  p.BayerMode = 0;
  SetThresholds(p, threshold);
  return p;
}

// Bayer mode at 8/8 bits, global search, every threshold at `threshold`.
inline _PARAMS_Waferon BayerParams(Session& s, double threshold) {
  _PARAMS_Waferon p = s.Defaults();
  p.SensorBpp = 8;
  p.TestBpp = 8;
  SetThresholds(p, threshold);
  return p;
}

// The text of a file, or "<missing>".
std::string ReadFile(const std::string& path);

}  // namespace sensor::waferon::test
