// The libraries' one exception boundary: every exported member that can meet
// an exception runs its body through Guarded, so that none leaves a library.
#pragma once

#include <new>

#include "sensordefect/ResultCodes.h"

namespace sensor {

// Runs `body` (returning a result code) and turns a failed allocation into
// E_OUTOFMEMORY and any other exception into E_FAIL.
template <class Body>
SensorDefectDetectionClass::ResultCode Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return SensorDefectDetectionClass::E_OUTOFMEMORY;
  } catch (...) {
    return SensorDefectDetectionClass::E_FAIL;
  }
}

}  // namespace sensor
