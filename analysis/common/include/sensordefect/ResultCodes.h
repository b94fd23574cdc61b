// Result codes returned by every member of the analysis libraries.
//
// The values follow the Windows HRESULT convention (signed 32-bit), so that
// status files and hosts written for the original stations keep the same numbers.
#pragma once

#include <cstdint>

namespace SensorDefectDetectionClass {

using ResultCode = std::int32_t;

inline constexpr ResultCode S_OK = 0;
inline constexpr ResultCode E_NOTIMPL = static_cast<ResultCode>(0x80004001u);
inline constexpr ResultCode E_NOINTERFACE = static_cast<ResultCode>(0x80004002u);
inline constexpr ResultCode E_POINTER = static_cast<ResultCode>(0x80004003u);
inline constexpr ResultCode E_ABORT = static_cast<ResultCode>(0x80004004u);
inline constexpr ResultCode E_FAIL = static_cast<ResultCode>(0x80004005u);
inline constexpr ResultCode E_UNEXPECTED = static_cast<ResultCode>(0x8000FFFFu);
inline constexpr ResultCode E_ACCESSDENIED = static_cast<ResultCode>(0x80070005u);
inline constexpr ResultCode E_HANDLE = static_cast<ResultCode>(0x80070006u);
inline constexpr ResultCode E_OUTOFMEMORY = static_cast<ResultCode>(0x8007000Eu);
inline constexpr ResultCode E_INVALIDARG = static_cast<ResultCode>(0x80070057u);

// Colour indices used by thresholds, enables, table entries and level sets.
enum ColourIndex : std::int32_t {
  COLOUR_R = 0,
  COLOUR_G = 1,
  COLOUR_B = 2,
  COLOUR_G1 = 3,
  COLOUR_G2 = 4,
};

}  // namespace SensorDefectDetectionClass
