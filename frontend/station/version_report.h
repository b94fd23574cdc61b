// The version line of an analysis library: the product version that the
// library file carries in its version record section.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sensor::frontend {

// The four parts of the product version, most significant first.
using VersionParts = std::array<std::uint16_t, 4>;

// Reads the product version from the version record section of an ELF file
// (32- or 64-bit, little-endian). Nothing when the file cannot be read, is not
// such a file, lacks the section, or the record's signature is wrong. Every
// offset and size in the file is checked against the file's length.
std::optional<VersionParts> ReadProductVersion(const std::string& path);

// True only for a 32-bit build running on a 64-bit kernel.
bool IsWow64();

// "<path>: a.b.c.d\n"; under 32-bit emulation each part keeps its low 8 bits.
std::string FormatVersionLine(const std::string& path, const VersionParts& parts, bool wow64);

// The library file whose version a program reports: the file of this name beside
// the program (a station's copy, the build tree), or else the file of this name
// or a versioned name of it (name.1) that the process has loaded, such as an
// installed library found through the run path. Nothing when the name is
// refused as a path (paths.h); the path beside the program when neither exists.
std::optional<std::string> LibraryFile(const std::string& name);

// Prints the version line of the file, or nothing when it has no version record.
void PrintLibraryVersion(const std::string& path);

}  // namespace sensor::frontend
