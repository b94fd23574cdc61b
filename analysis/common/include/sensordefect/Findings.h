// What the libraries' findings getters (get_Findings) share: a rectangle of
// picture columns and rows.
//
// Positions in every findings record count columns from the left and rows from
// the top of the picture (the first row shown, not the first row stored in a
// bottom-up bitmap), as the tables, dump files and defect map do.
#pragma once

#include <cstdint>

namespace SensorDefectDetectionClass {

// Both ends included; Right < Left or Bottom < Top is an empty area.
struct FindingArea {
  std::int32_t Left;
  std::int32_t Top;
  std::int32_t Right;
  std::int32_t Bottom;
};

}  // namespace SensorDefectDetectionClass
