// An image view of the in-memory analyses turned into the binding the
// pipelines read: the station's 24- and 32-bit pixels are bound where they lie
// (a negative stride is a picture stored bottom row first); other layouts are
// converted into 32-bit station pixels in memory the caller keeps for its next
// call. Every view is checked first; a bad one gets a status with one line
// saying what is wrong and what to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/image_binding.h"
#include "common/large_pages.h"
#include "sensordefect/ImageView.h"

namespace sensor {

// The mode a view is analysed in: colour, or Bayer at a sensor depth.
struct ViewMode {
  bool Bayer = false;
  std::int32_t SensorBpp = 8;  // Bayer mode only
};

// Converted pixels, kept from one call to the next.
using ConvertedPixels = std::vector<std::uint32_t, LargePageAllocator<std::uint32_t>>;

// Checks `view` against `mode` and binds it into `binding` (converted into
// `memory` when its layout is not the station's). The depth of a Bayer mode is
// assumed checked already. Never throws: memory that cannot be had is
// E_OUTOFMEMORY. The row loops of a conversion run in parts on the call's
// threads (parallel_rows.h).
sensordefect::RunStatus BindView(const sensordefect::ImageView& view, const ViewMode& mode,
                                 ConvertedPixels& memory, ImageBinding& binding) noexcept;

// A refusal with its message.
sensordefect::RunStatus Refused(std::string message);

// Sets `status` to `code` with its message (StatusOfCode), or with no message
// when even that cannot be had.
void SetFailure(sensordefect::RunStatus& status, SensorDefectDetectionClass::ResultCode code) noexcept;

// The status of a run cancelled by its caller.
sensordefect::RunStatus CancelledStatus();

// A result code of the pipelines as a status with a message, for the codes a
// checked call can still meet.
sensordefect::RunStatus StatusOfCode(SensorDefectDetectionClass::ResultCode code);

}  // namespace sensor
