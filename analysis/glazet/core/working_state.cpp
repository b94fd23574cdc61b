#include "glazet/core/working_state.h"

#include <cstring>
#include <new>

#include "common/large_pages.h"
#include "common/parallel_rows.h"

namespace sensor::glazet {

bool DefectMap::Allocate(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) {
    Release();
    return false;
  }
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (bytes_ == nullptr || size != size_) {
    Release();
    // A zero-sized map still gets a byte, so that an allocated map is never null.
    const std::size_t bytes = size == 0 ? 1 : size;
    // A large map comes zeroed from the kernel: the pages the search never
    // marks are never cleared or written.
    const bool mapped = bytes >= kLargePageBlocksFrom;
    void* block = mapped ? MapZeroedBlock(bytes) : LargePageAllocator<std::uint8_t>::TryAllocate(bytes);
    bytes_ = std::unique_ptr<std::uint8_t[], Free>(static_cast<std::uint8_t*>(block), Free{bytes, mapped});
    if (bytes_ == nullptr) return false;
    size_ = size;
    if (mapped) return true;
  }
  Zero(width, height);
  return true;
}

// Row by row in parts on the analysis threads (common/parallel_rows.h). Zero
// is zero whichever thread writes it; a part that cannot run leaves its rows
// to the calling thread.
void DefectMap::Zero(std::int32_t width, std::int32_t height) {
  std::uint8_t* bytes = bytes_.get();
  const auto rowBytes = static_cast<std::size_t>(width);
  const int parts = PartsFor(height, width);
  if (parts > 1) {
    try {
      // Nothing here throws; a part whose thread cannot start runs on this one.
      RunParts(parts, [&](int part) {
        const auto first = static_cast<std::size_t>(PartStart(0, height, part, parts));
        const auto last = static_cast<std::size_t>(PartStart(0, height, part + 1, parts));
        std::memset(bytes + first * rowBytes, 0, (last - first) * rowBytes);
      });
      return;
    } catch (const std::bad_alloc&) {
      // no room to start the parts: one thread does it all
    }
  }
  std::memset(bytes, 0, size_ == 0 ? 1 : size_);
}

void DefectMap::Free::operator()(std::uint8_t* bytes) const {
  if (Mapped) {
    UnmapZeroedBlock(bytes, Bytes);
  } else {
    LargePageAllocator<std::uint8_t>().deallocate(bytes, Bytes);
  }
}

void DefectMap::Release() {
  bytes_.reset();
  size_ = 0;
}

}  // namespace sensor::glazet
