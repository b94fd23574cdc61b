// The greymap reader on any file: a mode byte, then the file.
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
  // A greymap that does not load always says why.
  const std::uint8_t* file = data + kParameterBytes;
  const bool greymap = size >= kParameterBytes + 3 && file[0] == 'P' && file[1] == '5' &&
                       (file[2] == ' ' || file[2] == '\t' || file[2] == '\n' || file[2] == '\r');
  fuzz::ReadAndCheck(data, size, kParameterBytes, mode, std::nullopt, greymap);
  return 0;
}
