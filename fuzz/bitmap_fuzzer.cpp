// The bitmap reader on any file, the whole input: read with its pixels copied
// and read in place from a buffer that holds the file, as the programs read a
// mapped file. Both must agree, and a picture the libraries bind must lie
// inside its buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "frontend/pictures/bitmap_reader.h"
#include "picture_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  const frontend::FileBytes file(data, size);
  std::optional<frontend::Picture> copied = frontend::ReadBitmap(file);
  std::optional<frontend::PixelBuffer> held =
      frontend::PixelBuffer::Filled(size, [data](unsigned char* part, std::size_t at, std::size_t count) {
        std::memcpy(part, data + at, count);
        return true;
      });
  fuzz::Require(held.has_value());
  std::optional<frontend::Picture> inPlace = frontend::ReadBitmapInPlace(std::move(*held));
  fuzz::Require(copied.has_value() == inPlace.has_value());
  if (!copied) return 0;
  fuzz::Require(copied->Header == inPlace->Header && copied->Pixels.size() == inPlace->Pixels.size());
  fuzz::Require(copied->Pixels.empty() ||
                std::memcmp(copied->Pixels.data(), inPlace->Pixels.data(), copied->Pixels.size()) == 0);
  fuzz::CheckPicture(*inPlace, frontend::PictureRequest{}, false);
  frontend::DiagnoseRefusedBitmap("fuzz input", *inPlace);
  return 0;
}
