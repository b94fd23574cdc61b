// What the fuzz targets share: a reader that turns the leading bytes of an
// input into run parameters (mostly small, sometimes extreme), and a scratch
// file per process through which an input reaches the readers that take a path.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "frontend/common/file_writer.h"

namespace sensor::fuzz {

// Reads parameter bytes from the front of an input; bytes past its end read 0.
class ParameterBytes {
 public:
  ParameterBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : (++at_, 0); }
  bool Flag(std::uint8_t bits, int bit) const { return ((bits >> bit) & 1) != 0; }

  // A value from -8 to 231, or from the top 16 byte values one of the
  // extremes a hostile caller may pass.
  std::int32_t Integer() {
    static constexpr std::int32_t kExtremes[16] = {
        std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
        std::numeric_limits<std::int32_t>::min() + 1, std::numeric_limits<std::int32_t>::max() - 1,
        -1, -2, -1000, 1000, 1 << 16, -(1 << 16), 1 << 20, -(1 << 20), 1 << 30, -(1 << 30),
        32767, -32768};
    const std::uint8_t b = Byte();
    return b < 240 ? static_cast<std::int32_t>(b) - 8 : kExtremes[b - 240];
  }

  // A fraction from -0.1 to 1.1 in steps of 1/200, or an extreme double.
  double Fraction() {
    const std::uint8_t b = Byte();
    return b < 240 ? b / 200.0 - 0.1 : Extreme(b - 240);
  }

  // A threshold from 0 to 119.5 in steps of 0.5, or an extreme double.
  double Threshold() {
    const std::uint8_t b = Byte();
    return b < 240 ? b * 0.5 : Extreme(b - 240);
  }

  // A bit depth: mostly the valid 8, 10 and 12, sometimes another number.
  std::int32_t BitDepth() {
    static constexpr std::int32_t kDepths[16] = {8, 10, 12, 8, 10, 12, 8, 10,
                                                 12, 0,  -1, 9, 11, 16, 32, 1 << 30};
    return kDepths[Byte() & 15];
  }

 private:
  static double Extreme(int i) {
    static const double kExtremes[16] = {std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity(),
                                         1e300,
                                         -1e300,
                                         std::numeric_limits<double>::denorm_min(),
                                         -0.0,
                                         std::numeric_limits<double>::max(),
                                         std::numeric_limits<double>::lowest(),
                                         2147483647.5,
                                         -2147483648.5,
                                         4294967296.0,
                                         0.5 + 1e-15,
                                         1.0 - 1e-16,
                                         -1e-300,
                                         1e9};
    return kExtremes[i];
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// A file of this process for inputs that reach a reader through a path; each
// target uses one extension, the one of its first call. The file is removed
// when the fuzzer exits normally.
inline const std::string& ScratchPath(const char* extension) {
  static const std::string path = [extension] {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/sensor_fuzz_" + std::to_string(getpid()) + extension;
  }();
  static const bool removedAtExit = [] {
    return std::atexit([] { unlink(ScratchPath("").c_str()); }) == 0;
  }();
  (void)removedAtExit;
  return path;
}

inline bool WriteScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
  return frontend::WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
}

}  // namespace sensor::fuzz
