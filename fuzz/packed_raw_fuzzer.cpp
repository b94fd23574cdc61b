// The packed raw frame reader on any file and layout: a mode byte, a format
// byte, width, height and stride bytes, then the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "picture_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor;
  constexpr std::size_t kParameterBytes = 6;
  if (size < kParameterBytes) return 0;
  fuzz::ParameterBytes in(data, kParameterBytes);
  const frontend::PictureRequest mode = fuzz::ModeFrom(in);
  static const char* const kFormats[4] = {"raw10", "raw12", "raw16", "RAW10"};
  const char* format = kFormats[in.Byte() & 3];
  const std::int32_t width = in.Integer();
  const std::int32_t height = in.Integer();
  const std::int32_t stride = in.Integer();
  std::string layout = std::string(format) + "," + std::to_string(width) + "," + std::to_string(height);
  if (stride >= 0) layout.append(",").append(std::to_string(stride));
  // A frame that does not load always says why.
  fuzz::ReadAndCheck(data, size, kParameterBytes, mode, layout, true);
  return 0;
}
