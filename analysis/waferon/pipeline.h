// One analysis of the bound image, after the open check and the copy of the
// parameter record: geometry, validation, the search, the counts, the dump
// files and the result record.
#pragma once

#include <array>

#include "sensordefect/Waferon.h"

namespace sensor::waferon {

// `object.Params` already holds the record of this run. Returns E_INVALIDARG
// (result untouched) for a negative margin, a negative HammerSize with the
// local search on, or bit depths the Bayer mode does not accept; E_ABORT when
// the search stopped on the candidate limit; else S_OK. May throw
// std::bad_alloc.
SensorDefectDetectionClass::ResultCode RunAnalysis(SensorDefectDetectionClass::Waferon& object,
                                                   SensorDefectDetectionClass::_RESULT_Waferon& result,
                                                   const std::array<bool, 5>& enabled);

}  // namespace sensor::waferon
