#include "frontend/pictures/picture.h"

#include <cstring>
#include <new>

#include "common/frontend_interface.h"

namespace sensor::frontend {

std::optional<std::uint64_t> PixelDataSize(const std::vector<unsigned char>& header) {
  if (header.size() < bitmap::kInfoHeaderSize) return std::nullopt;
  return sensor::PixelDataSize(ReadHeaderFields(header.data()));
}

std::optional<Picture> CopyPicture(const Picture& picture) {
  try {
    Picture copy;
    copy.Header = picture.Header;
    copy.Dng = picture.Dng;
    const unsigned char* source = picture.Pixels.data();
    std::optional<PixelBuffer> pixels =
        PixelBuffer::Filled(picture.Pixels.size(), [source](unsigned char* part, std::size_t at, std::size_t count) {
          std::memcpy(part, source + at, count);
          return true;
        });
    if (!pixels) return std::nullopt;
    copy.Pixels = std::move(*pixels);
    return copy;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace sensor::frontend
