// The fixed version record that each analysis library carries in its own ELF
// section, and that the test programs read back from the library file to print
// its version line. The layout is that of a fixed file-version record: a
// signature, a structure version, then the file and product versions as four
// 16-bit numbers each (two 32-bit halves, most significant half first).
#pragma once

#include <cstdint>

namespace sensor {

inline constexpr char kVersionSectionName[] = ".sensor_version";
inline constexpr std::uint32_t kVersionSignature = 0xFEEF04BDu;

struct FixedVersionRecord {
  std::uint32_t Signature;
  std::uint32_t StructVersion;
  std::uint32_t FileVersionMS;
  std::uint32_t FileVersionLS;
  std::uint32_t ProductVersionMS;
  std::uint32_t ProductVersionLS;
  std::uint32_t FileFlagsMask;
  std::uint32_t FileFlags;
  std::uint32_t FileOS;
  std::uint32_t FileType;
  std::uint32_t FileSubtype;
  std::uint32_t FileDateMS;
  std::uint32_t FileDateLS;
};

constexpr std::uint32_t VersionHalf(std::uint32_t high, std::uint32_t low) {
  return (high & 0xFFFFu) << 16 | (low & 0xFFFFu);
}

}  // namespace sensor

// Places the library's version record (from the project version) into its
// section. Use once per shared library, at namespace scope.
#define SENSOR_DEFINE_VERSION_RECORD()                                                     \
  extern "C" __attribute__((section(".sensor_version"), used, visibility("hidden")))      \
  const ::sensor::FixedVersionRecord sensor_version_record = {                             \
      ::sensor::kVersionSignature,                                                         \
      0x00010000u,                                                                         \
      ::sensor::VersionHalf(SENSOR_VERSION_MAJOR, SENSOR_VERSION_MINOR),                   \
      ::sensor::VersionHalf(SENSOR_VERSION_PATCH, SENSOR_VERSION_TWEAK),                   \
      ::sensor::VersionHalf(SENSOR_VERSION_MAJOR, SENSOR_VERSION_MINOR),                   \
      ::sensor::VersionHalf(SENSOR_VERSION_PATCH, SENSOR_VERSION_TWEAK),                   \
      0x3Fu, 0u, 0x40004u, 2u, 0u, 0u, 0u}
