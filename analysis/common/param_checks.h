// The checks the in-memory analyses make of the parameters they share before
// anything runs, each answering a bad value with one line that says what is
// wrong and what to do (empty when the value is sound).
#pragma once

#include <cstdint>
#include <string>

#include "common/sample_rule.h"

namespace sensor {

inline std::string MarginProblem(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  const std::int32_t margins[4] = {left, top, right, bottom};
  const char* names[4] = {"OutlierLeft", "OutlierTop", "OutlierRight", "OutlierBottom"};
  for (int i = 0; i < 4; ++i) {
    if (margins[i] < 0) {
      return std::string(names[i]) + " is " + std::to_string(margins[i]) + ": give margins of 0 or more pixels";
    }
  }
  return {};
}

inline std::string DepthProblem(bool bayer, std::int32_t sensorBpp, std::int32_t testBpp) {
  if (!bayer || ValidBitDepths(sensorBpp, testBpp)) return {};
  return "Bayer mode takes SensorBpp and TestBpp of 8, 10 or 12 with TestBpp at most SensorBpp, not " +
         std::to_string(sensorBpp) + " and " + std::to_string(testBpp) + ": give the sensor's depths";
}

inline std::string ThreadsProblem(std::int32_t threads) {
  if (threads >= 0) return {};
  return "Threads is " + std::to_string(threads) + ": give 1 or more, or 0 for the process default";
}

}  // namespace sensor
