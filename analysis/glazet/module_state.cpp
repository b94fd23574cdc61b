#include "glazet/module_state.h"

#include <cstring>
#include <new>

#include "common/large_pages.h"

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
    bytes_ = std::unique_ptr<std::uint8_t[], Free>(LargePageAllocator<std::uint8_t>::TryAllocate(bytes), Free{bytes});
    if (bytes_ == nullptr) return false;
    size_ = size;
  }
  std::memset(bytes_.get(), 0, size == 0 ? 1 : size);
  return true;
}

void DefectMap::Free::operator()(std::uint8_t* bytes) const {
  LargePageAllocator<std::uint8_t>().deallocate(bytes, Bytes);
}

void DefectMap::Release() {
  bytes_.reset();
  size_ = 0;
}

ModuleState& State() {
  static ModuleState state;
  return state;
}

}  // namespace sensor::glazet
