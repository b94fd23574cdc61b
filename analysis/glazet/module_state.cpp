#include "module_state.h"

#include <cstring>
#include <new>

namespace sensor::glazet {

bool DefectMap::Allocate(std::int32_t width, std::int32_t height) {
  Release();
  if (width < 0 || height < 0) return false;
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  // A zero-sized map still gets a byte, so that an allocated map is never null.
  std::uint8_t* bytes = new (std::nothrow) std::uint8_t[size == 0 ? 1 : size];
  if (bytes == nullptr) return false;
  std::memset(bytes, 0, size == 0 ? 1 : size);
  bytes_.reset(bytes);
  size_ = size;
  return true;
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
