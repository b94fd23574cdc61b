// Lines of the settings and limits files, read the way the test stations have
// always written and read them: as text in which a CR right before a LF is
// dropped (so CR LF and LF files read alike), in pieces of at most 259
// characters. A longer line gives several pieces, each handled as a line of its
// own; a piece keeps the line break that ended it. A piece ends at a NUL byte,
// as a C text would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sensor::frontend {

inline constexpr std::size_t kLinePieceLength = 259;

// Splits file contents into line pieces.
std::vector<std::string> SplitTextPieces(std::string_view contents);

// Reads a file piece by piece, handing each piece to `visit` as soon as it is
// cut, so that a file of any length takes no more memory than one piece. False
// when it cannot be opened or read, or is no regular file (a named pipe, a
// device, a directory).
bool ForEachTextPiece(const std::string& path, const std::function<void(std::string_view)>& visit);

// Reads and splits a file; nothing when ForEachTextPiece fails or the file
// holds more than `maxBytes` bytes (each piece is kept, so a file of millions
// of short lines would take many times its size in memory).
std::optional<std::vector<std::string>> ReadTextPieces(
    const std::string& path, std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());

}  // namespace sensor::frontend
