// The TIFF and DNG reader on any file: a mode byte, then the file.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "picture_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  constexpr std::size_t kParameterBytes = 2;
  if (size < kParameterBytes) return 0;
  fuzz::ParameterBytes in(data, kParameterBytes);
  const frontend::PictureRequest mode = fuzz::ModeFrom(in);
  // A TIFF file that does not load always says why.
  const std::uint8_t* file = data + kParameterBytes;
  const bool tiff = size >= kParameterBytes + 4 &&
                    ((file[0] == 'I' && file[1] == 'I' && (file[2] == 42 || file[2] == 43) && file[3] == 0) ||
                     (file[0] == 'M' && file[1] == 'M' && file[2] == 0 && (file[3] == 42 || file[3] == 43)));
  fuzz::ReadAndCheck(data, size, kParameterBytes, mode, std::nullopt, tiff);
  return 0;
}
