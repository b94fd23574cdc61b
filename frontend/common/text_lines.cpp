#include "frontend/common/text_lines.h"

#include <cstdio>
#include <memory>

#include "frontend/common/regular_file.h"

namespace sensor::frontend {

std::vector<std::string> SplitTextPieces(std::string_view contents) {
  std::string text;
  text.reserve(contents.size());
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (contents[i] == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') continue;
    text.push_back(contents[i]);
  }

  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && end - start < kLinePieceLength) {
      if (text[end++] == '\n') break;
    }
    std::string piece = text.substr(start, end - start);
    const std::size_t nul = piece.find('\0');
    if (nul != std::string::npos) piece.resize(nul);
    pieces.push_back(std::move(piece));
    start = end;
  }
  return pieces;
}

std::optional<std::vector<std::string>> ReadTextPieces(const std::string& path) {
  const FileHandle file = OpenRegularFile(path);
  if (!file) return std::nullopt;
  std::string contents;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) contents.append(buffer, got);
  if (std::ferror(file.get())) return std::nullopt;
  return SplitTextPieces(contents);
}

}  // namespace sensor::frontend
