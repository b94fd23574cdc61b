#include "frontend/common/text_lines.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "frontend/common/regular_file.h"

namespace sensor::frontend {

namespace {

// Cuts text that arrives in chunks into line pieces, holding back a CR until
// the next byte shows whether a LF follows it.
class PieceSplitter {
 public:
  explicit PieceSplitter(const std::function<void(std::string_view)>& visit) : visit_(visit) {}

  void Feed(std::string_view chunk) {
    for (const char c : chunk) {
      if (heldCr_) {
        heldCr_ = false;
        if (c != '\n') Append('\r');
      }
      if (c == '\r') {
        heldCr_ = true;
      } else {
        Append(c);
      }
    }
  }

  void Finish() {
    if (heldCr_) Append('\r');
    heldCr_ = false;
    if (!piece_.empty()) Emit();
  }

 private:
  void Append(char c) {
    piece_.push_back(c);
    if (c == '\n' || piece_.size() == kLinePieceLength) Emit();
  }
  void Emit() {
    const std::size_t nul = piece_.find('\0');
    visit_(std::string_view(piece_).substr(0, nul));
    piece_.clear();
  }

  const std::function<void(std::string_view)>& visit_;
  std::string piece_;
  bool heldCr_ = false;
};

}  // namespace

std::vector<std::string> SplitTextPieces(std::string_view contents) {
  std::vector<std::string> pieces;
  const std::function<void(std::string_view)> collect = [&pieces](std::string_view piece) {
    pieces.emplace_back(piece);
  };
  PieceSplitter splitter(collect);
  splitter.Feed(contents);
  splitter.Finish();
  return pieces;
}

bool ForEachTextPiece(const std::string& path, const std::function<void(std::string_view)>& visit) {
  const FileHandle file = OpenRegularFile(path);
  if (!file) return false;
  PieceSplitter splitter(visit);
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    splitter.Feed(std::string_view(buffer, got));
  }
  splitter.Finish();
  return !std::ferror(file.get());
}

std::optional<std::vector<std::string>> ReadTextPieces(const std::string& path,
                                                       std::uint64_t maxBytes) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    return std::nullopt;
  }
  std::vector<std::string> pieces;
  std::uint64_t bytes = 0;
  bool tooLong = false;
  const std::function<void(std::string_view)> collect = [&](std::string_view piece) {
    bytes += piece.size();
    if (bytes > maxBytes) tooLong = true;
    if (!tooLong) pieces.emplace_back(piece);
  };
  if (!ForEachTextPiece(path, collect) || tooLong) return std::nullopt;
  return pieces;
}

}  // namespace sensor::frontend
