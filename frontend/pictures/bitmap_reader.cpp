#include "frontend/pictures/bitmap_reader.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "common/frontend_interface.h"
#include "common/precondition.h"

namespace sensor::frontend {
namespace {

using bitmap::kFileHeaderSize;
using bitmap::kInfoHeaderSize;

// Whether the library's binding of a header block stays inside `pixelBytes`.
bool BindingFits(const std::vector<unsigned char>& header, std::uint64_t pixelBytes) {
  SENSOR_PRECONDITION(header.size() >= kInfoHeaderSize);
  // The binding only takes the pixels' address, never reads them here.
  unsigned char anyPixel = 0;
  ImageBinding scratch;
  if (BindBitmap(header.data(), &anyPixel, scratch) != SensorDefectDetectionClass::S_OK) {
    return true;  // the library refuses this header and reads no pixel
  }
  const std::uint64_t addressed = std::uint64_t{scratch.Stride} * std::uint64_t(scratch.Height);
  return addressed <= pixelBytes;
}

}  // namespace

std::optional<BitmapPlace> ReadBitmapHeader(FileBytes file, std::vector<unsigned char>& header) {
  if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint32_t pixelOffset = bitmap::ReadU32(file.data() + 10);
  if (pixelOffset < kFileHeaderSize + kInfoHeaderSize || pixelOffset > file.size()) return std::nullopt;
  try {
    header.assign(file.begin() + kFileHeaderSize, file.begin() + pixelOffset);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> pixelSize = PixelDataSize(header);
  if (!pixelSize || *pixelSize > file.size() - pixelOffset || !BindingFits(header, *pixelSize)) {
    return std::nullopt;
  }
  return BitmapPlace{pixelOffset, *pixelSize};
}

std::optional<Picture> ReadBitmap(FileBytes file) {
  Picture picture;
  const std::optional<BitmapPlace> place = ReadBitmapHeader(file, picture.Header);
  if (!place) return std::nullopt;
  const unsigned char* source = file.data() + place->Offset;
  try {
    // Read in parts on the analysis threads (see PixelBuffer::Filled).
    std::optional<PixelBuffer> pixels =
        PixelBuffer::Filled(place->Size, [source](unsigned char* part, std::size_t at, std::size_t count) {
          std::memcpy(part, source + at, count);
          return true;
        });
    if (!pixels) return std::nullopt;
    picture.Pixels = std::move(*pixels);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return picture;
}

std::optional<Picture> ReadBitmapInPlace(PixelBuffer&& file) {
  Picture picture;
  const std::optional<BitmapPlace> place = ReadBitmapHeader(FileBytes(file.data(), file.size()), picture.Header);
  if (!place) return std::nullopt;
  const auto offset = static_cast<std::size_t>(place->Offset);
  const auto size = static_cast<std::size_t>(place->Size);
  if (!file.EnterPages(offset, size)) return std::nullopt;
  picture.Pixels = std::move(file).Narrowed(offset, size);
  SENSOR_PRECONDITION(picture.Pixels.size() == place->Size);
  return picture;
}

}  // namespace sensor::frontend
