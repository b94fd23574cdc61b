// One Execute of the package library, once the library is open: take over the
// record, allocate the defect map, place the areas, validate, compute the level
// statistics, search, write the defect-map bitmap, then count the clusters or
// stop for too many candidates.
#pragma once

#include <cstdint>

#include "sensordefect/Glazet.h"

namespace sensor::glazet {

// Returns S_OK, E_POINTER (no defect map) or E_INVALIDARG (no bound picture or
// a bad record). May throw std::bad_alloc; the exported class turns that into
// a result code.
std::int32_t RunExecute(SensorDefectDetectionClass::Glazet& object,
                        SensorDefectDetectionClass::_RESULT_Glazet& result,
                        const SensorDefectDetectionClass::_PARAMS_Glazet& params);

}  // namespace sensor::glazet
